#include "data/Toybox.h"

#include <utility>

#include "data/Texdb.h"
#include "data/ToyClassTable.h"
#include "devices/Vekdraw.h"
#include "devices/Vekmidi.h"
#include "devices/Veksound.h"
#include "kernel/Kernel.h"

namespace {

// The one resourceDir that means "the program's own resources": the bare file name is the resource name.
constexpr const char* kProgramResources = "Resource";

}  // namespace

TToyBox::TToyBox(TKernel* kernel, const std::string& sourceName, TToyClasses classes) : kernel(kernel), classes(classes) {
    TTexDb db(sourceName);
    Load(db);
}

TToyBox::TToyBox(TKernel* kernel, TTexDb& db, TToyClasses classes) : kernel(kernel), classes(classes) { Load(db); }

std::unique_ptr<TToyBox> TToyBox::FromText(TKernel* kernel, std::string_view text, TToyClasses classes) {
    TTexDb db = TTexDb::FromText(text);
    return std::make_unique<TToyBox>(kernel, db, classes);
}

TToyBox::~TToyBox() { ClearToys(); }

void TToyBox::Load(TTexDb& db) {
    if (!db.SelectBlock(0)) return;
    do {
        // Reading class also puts the key cursor on it: a command walks the lines after it.
        const std::string className = db.ReadValue("class").Text();
        std::unique_ptr<TToyObject> toy;
        if (className == kClassCommand) {
            RunCommand(db);
        } else {
            for (const TToyClass& toyClass : classes) {
                if (className == toyClass.name) {
                    toy = toyClass.make(this, db);
                    break;
                }
            }
        }
        // Any other class, or none, is skipped without a word.
        const std::int32_t show = db.ReadValue("show").Int(0);
        if (toy) {
            if (show != 0) toy->Show();
            AddToy(std::move(toy));
        }
    } while (db.NextBlock());
}

void TToyBox::RunCommand(TTexDb& db) {
    // Only the lines after class are commands; the last chdir wins and holds for the records after it.
    while (db.NextKey()) {
        if (db.CursorKey() == "chdir") resourceDir = db.CursorValue().Text();
    }
}

void TToyBox::AddToy(std::unique_ptr<TToyObject> toy) {
    if (!toy) return;
    // The first toy of a class and name is the one every lookup finds; later namesakes only draw.
    byName.try_emplace(ToyKey{toy->className, toy->name}, toy.get());
    toys.push_back(std::move(toy));
}

TToyObject* TToyBox::GetToy(std::int32_t index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return toys[static_cast<std::size_t>(index)].get();
}

TToyObject* TToyBox::FindToy(const std::string& className, const std::string& name) const {
    const auto found = byName.find(ToyKey{className, name});
    return found != byName.end() ? found->second : nullptr;
}

std::size_t TToyBox::ToyKeyHash::operator()(const ToyKey& key) const {
    const std::size_t a = std::hash<std::string>{}(key.first);
    return a ^ (std::hash<std::string>{}(key.second) + 0x9E3779B97F4A7C15ull + (a << 6) + (a >> 2));
}

TToyObject* TToyBox::ShowToy(const std::string& className, const std::string& name) {
    TToyObject* toy = FindToy(className, name);
    if (toy != nullptr) toy->Show();
    return toy;
}

TToyObject* TToyBox::HideToy(const std::string& className, const std::string& name) {
    TToyObject* toy = FindToy(className, name);
    if (toy != nullptr) toy->Hide();
    return toy;
}

void TToyBox::DrawAll() {
    for (const auto& toy : toys) toy->Draw(0, 0);
}

void TToyBox::UpdateAll(std::int32_t ms) {
    for (const auto& toy : toys) toy->Update(ms);
}

std::string TToyBox::MakePath(const std::string& fileName, const std::string& extension) const {
    if (resourceDir == kProgramResources) return fileName;
    // A directory prefix carries its own separator; nothing is put between the parts.
    return resourceDir + fileName + extension;
}

bool TToyBox::LoadSprite(const std::string& name, const std::string& fileName, std::int32_t cellWidth,
                         std::int32_t cellHeight) {
    TVekDraw* draw = kernel != nullptr ? kernel->Draw() : nullptr;
    if (draw == nullptr) return false;
    return draw->CreateSprite(name, MakePath(fileName, ".bmp"), cellWidth, cellHeight);
}

bool TToyBox::LoadSound(const std::string& name, const std::string& fileName) {
    TVekSound* sound = kernel != nullptr ? kernel->Sound() : nullptr;
    if (sound == nullptr) return false;
    return sound->CreateBuffer(name, MakePath(fileName, ".wav"));
}

bool TToyBox::PlayMusic(const std::string& fileName, bool loop) {
    TVekMidi* midi = kernel != nullptr ? kernel->Midi() : nullptr;
    if (midi == nullptr) return false;
    return midi->Play(MakePath(fileName, ".mid"), loop);
}

void TToyBox::ClearToys() {
    byName.clear();
    // One by one in list order, so an image's sprite goes before the toys after it are destroyed.
    for (auto& toy : toys) toy.reset();
    toys.clear();
}

TVekDraw* TToyBox::DrawDevice() const { return kernel ? kernel->Draw() : nullptr; }
