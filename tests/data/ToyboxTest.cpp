// The toy box: loading by class, lookups, the resource path rule, draw order, ownership, and the
// record writer's agreement with the reader.
#include "data/Toybox.h"
#include "toys/Toyclasses.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "data/DataError.h"
#include "data/Texdb.h"
#include "platform/Resources.h"
#include "devices/Vekdraw.h"
#include "kernel/Kernel.h"
#include "support/TestMedia.h"
#include "toys/Toyanime.h"
#include "toys/Toycaption.h"
#include "toys/Toyfont.h"
#include "toys/Toyframe.h"
#include "toys/Toyimage.h"
#include "toys/Toynumber.h"
#include "toys/Toypicture.h"
#include "toys/Toyplayer.h"
#include "toys/ToyScene.h"
#include "toys/Toysound.h"

namespace {

using toytest::Bitmap;
using toytest::CellColour;
using toytest::ToyScene;

const std::string kHaikei = "\x94\x77\x8c\x69";                   // 背景
const std::string kCursor = "\x83\x4a\x81\x5b\x83\x5c\x83\x8b";  // カーソル

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::vector<std::string> WriteAll(const TToyBox& box) {
    std::vector<std::string> lines;
    for (int i = 0; i < box.Count(); ++i) box.GetToy(i)->WriteRecord(lines);
    return lines;
}

class ToyBoxTest : public ToyScene {};

TEST_F(ToyBoxTest, BuildsOneToyPerKnownClassInRecordOrder) {
    testmedia::ScopedResources resources({Bitmap("sheet", toytest::MarkerSheet(4, 2, 16, 16))});
    auto box = Load(
        "# a scene\r\n"
        "{\r\n\tclass\t\tCommand\r\n\tchdir\t\tResource\r\n\tshow\t\t1\r\n}\r\n"
        "{\r\n\tclass\t\tImage\r\n\tname\t\timg\r\n\tfileName\tsheet\r\n\tsize\t\t16,16\r\n}\r\n"
        "{\r\n\tclass\t\tSound\r\n\tname\t\tsnd\r\n\tfileName\tget\r\n\tshow\t\t1\r\n}\r\n"
        "{\r\n\tclass\t\tFont\r\n\tname\t\tfnt\r\n\tfileName\tsheet\r\n}\r\n"
        "{\r\n\tclass\t\tPicture\r\n\tname\t\tpic\r\n\timageId\t\timg\r\n\tshow\t\t1\r\n}\r\n"
        "{\r\n\tclass\t\tWidget\r\n\tname\t\tw\r\n\tshow\t\t1\r\n}\r\n"
        "{\r\n\tname\t\tclassless\r\n\tshow\t\t1\r\n}\r\n"
        "{\r\n\tclass\t\tNumber\r\n\tname\t\tnum\r\n\tshow\t\t7\r\n}\r\n"
        "{\r\n\tclass\t\tCaption\r\n\tname\t\tcap\r\n}\r\n"
        "{\r\n\tclass\t\tFrame\r\n\tname\t\tfrm\r\n}\r\n"
        "{\r\n\tclass\t\timage\r\n\tname\t\tlower\r\n}\r\n"
        "{\r\n\tclass\t\tAnime\r\n\tname\t\tani\r\n}\r\n"
        "{\r\n\tclass\t\tPlayer\r\n\tname\t\tply\r\n\tshow\t\t0\r\n}\r\n");

    struct Expected {
        const char* className;
        const char* name;
        const std::type_info& type;
        int visible;
    };
    const Expected expected[] = {
        {"Image", "img", typeid(TToyImage), 0},       {"Sound", "snd", typeid(TToySound), 1},
        {"Font", "fnt", typeid(TToyFont), 0},         {"Picture", "pic", typeid(TToyPicture), 1},
        {"Number", "num", typeid(TToyNumber), 1},     {"Caption", "cap", typeid(TToyCaption), 0},
        {"Frame", "frm", typeid(TToyFrame), 0},       {"Anime", "ani", typeid(TToyAnime), 0},
        {"Player", "ply", typeid(TToyPlayer), 0},
    };
    ASSERT_EQ(box->Count(), 9);
    for (int i = 0; i < box->Count(); ++i) {
        const TToyObject* toy = box->GetToy(i);
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(toy->className, expected[i].className);
        EXPECT_EQ(toy->name, expected[i].name);
        EXPECT_EQ(typeid(*toy), expected[i].type);
        EXPECT_EQ(toy->visible, expected[i].visible);
        EXPECT_EQ(toy->box, box.get());
    }
    EXPECT_EQ(box->GetToy(9), nullptr);
    EXPECT_EQ(box->GetToy(-1), nullptr);
    EXPECT_EQ(box->ResourceDir(), "Resource");
}

TEST_F(ToyBoxTest, FindToyTellsSharedNamesApartByClassAndTakesTheFirstOfTwins) {
    testmedia::ScopedResources resources({Bitmap("sheet", toytest::MarkerSheet(4, 2, 16, 16))});
    auto box = Load("{\nclass Command\nchdir Resource\n}\n"
                    "{\nclass Image\nname " + kHaikei + "\nfileName sheet\n}\n"
                    "{\nclass Image\nname " + kCursor + "\nfileName sheet\nsize 16,16\n}\n"
                    "{\nclass Picture\nname " + kHaikei + "\nimageId " + kHaikei + "\npos 1,1\n}\n"
                    "{\nclass Picture\nname " + kHaikei + "\nimageId " + kHaikei + "\npos 2,2\n}\n"
                    "{\nclass Anime\nname " + kCursor + "\n}\n");
    ASSERT_EQ(box->Count(), 5);

    EXPECT_EQ(box->FindToy("Image", kHaikei), box->GetToy(0));
    EXPECT_EQ(box->FindToy("Picture", kHaikei), box->GetToy(2));
    EXPECT_EQ(box->FindToyAs<TToyPicture>("Picture", kHaikei)->x, 1);
    EXPECT_EQ(box->FindToy("Image", kCursor), box->GetToy(1));
    EXPECT_EQ(box->FindToy("Anime", kCursor), box->GetToy(4));
    EXPECT_EQ(box->FindToy("Sound", kHaikei), nullptr);
    EXPECT_EQ(box->FindToy("Picture", "nothing"), nullptr);
    EXPECT_EQ(box->FindToy("picture", kHaikei), nullptr);
    // The class alone does not make a match: a concrete lookup of the wrong type gives none.
    EXPECT_EQ(box->FindToyAs<TToyImage>("Picture", kHaikei), nullptr);
}

TEST_F(ToyBoxTest, ShowToyAndHideToyReturnTheToyOrNone) {
    auto box = Load("{\nclass Picture\nname a\n}\n{\nclass Picture\nname b\nshow 1\n}\n");
    TToyObject* a = box->ShowToy("Picture", "a");
    ASSERT_EQ(a, box->GetToy(0));
    EXPECT_EQ(a->visible, 1);
    TToyObject* b = box->HideToy("Picture", "b");
    ASSERT_EQ(b, box->GetToy(1));
    EXPECT_EQ(b->visible, 0);
    EXPECT_EQ(box->ShowToy("Picture", "c"), nullptr);
    EXPECT_EQ(box->HideToy("Number", "a"), nullptr);
    EXPECT_EQ(a->visible, 1);
}

// Each sheet is registered under the exact path the box should form, so the sprite's source tells
// which path was asked for, and a wrong path finds no bitmap at all.
TEST_F(ToyBoxTest, FormsPathsFromTheResourceDirectory) {
    struct Case {
        const char* command;
        const char* source;
    };
    const Case cases[] = {
        {"{\nclass Command\nchdir Resource\n}\n", "bg"},
        {"{\nclass Command\nchdir resource\n}\n", "resourcebg.bmp"},
        {"{\nclass Command\nchdir RESOURCE\n}\n", "RESOURCEbg.bmp"},
        {"", "bg.bmp"},
        {"{\nclass Command\nchdir files/\n}\n", "files/bg.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        testmedia::ScopedResources resources({Bitmap(c.source, toytest::MarkerSheet(1, 1, 8, 8))});
        auto box = Load(std::string(c.command) + "{\nclass Image\nname " + kHaikei + "\nfileName bg\n}\n");
        const TSpriteSurf* sprite = draw.GetSpriteSurf(kHaikei);
        ASSERT_NE(sprite, nullptr);
        EXPECT_EQ(sprite->source, c.source);
    }

    auto box = Load("{\nclass Command\nchdir Resource\n}\n");
    EXPECT_EQ(box->MakePath("BGM0", ".mid"), "BGM0");
    auto prefixed = Load("{\nclass Command\nchdir snd/\n}\n");
    EXPECT_EQ(prefixed->MakePath("get", ".wav"), "snd/get.wav");
    EXPECT_EQ(prefixed->MakePath("", ".bmp"), "snd/.bmp");
}

TEST_F(ToyBoxTest, OpensTheFileWhenNoResourceHasThePath) {
    // Relative to the working directory: a record value holds at most 15 bytes.
    const std::filesystem::path dir = "toyboxdir";
    std::filesystem::create_directories(dir);
    const auto bytes = toytest::SolidSheet(1, 1, 4, 4);
    std::ofstream(dir / "bg.bmp", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                        static_cast<std::streamsize>(bytes.size()));
    testmedia::ScopedResources none({});
    const std::string prefix = dir.string() + "/";
    auto box = Load("{\nclass Command\nchdir " + prefix + "\n}\n{\nclass Image\nname bg\nfileName bg\n}\n"
                    "{\nclass Picture\nname bg\nimageId bg\npos 10,20\nshow 1\n}\n");
    std::filesystem::remove_all(dir);
    const TSpriteSurf* sprite = draw.GetSpriteSurf("bg");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->source, prefix + "bg.bmp");
    box->DrawAll();
    EXPECT_EQ(draw.RgbAt(10, 20), CellColour(0));
    EXPECT_EQ(draw.RgbAt(13, 23), CellColour(0));
    EXPECT_EQ(draw.RgbAt(14, 24), 0u);
}

TEST_F(ToyBoxTest, CommandAfterImagesChangesOnlyTheRecordsAfterIt) {
    testmedia::ScopedResources resources({Bitmap("bg", toytest::MarkerSheet(1, 1, 8, 8)),
                                          Bitmap("bg.bmp", toytest::MarkerSheet(1, 1, 8, 8))});
    auto box = Load("{\nclass Image\nname before\nfileName bg\n}\n"
                    "{\nclass Command\nchdir Resource\n}\n"
                    "{\nclass Image\nname after\nfileName bg\n}\n");
    ASSERT_EQ(box->Count(), 2);
    ASSERT_NE(draw.GetSpriteSurf("before"), nullptr);
    ASSERT_NE(draw.GetSpriteSurf("after"), nullptr);
    EXPECT_EQ(draw.GetSpriteSurf("before")->source, "bg.bmp");
    EXPECT_EQ(draw.GetSpriteSurf("after")->source, "bg");
}

TEST_F(ToyBoxTest, CommandWalksOnlyTheLinesAfterClassAndTheLastChdirWins) {
    struct Case {
        const char* text;
        const char* dir;
    };
    const Case cases[] = {
        {"{\nchdir early/\nclass Command\n}\n", ""},
        {"{\nchdir early/\nclass Command\nchdir a/\nother b/\nchdir Resource\n}\n", "Resource"},
        {"{\nclass Command\nchdir a/\n}\n{\nclass Command\nchdir b/\n}\n", "b/"},
        {"{\nclass Command\nchdir a/\n}\n{\nclass Command\nchdir\n}\n", ""},
        {"{\nclass Command\nChdir a/\n}\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto box = Load(c.text);
        EXPECT_EQ(box->ResourceDir(), c.dir);
        EXPECT_EQ(box->Count(), 0);
    }
}

TEST_F(ToyBoxTest, TextWithoutRecordsGivesAnEmptyBox) {
    for (const char* text : {"", "# nothing here\r\n", "class Image\nname x\n", "{ \nclass Image\n}\n"}) {
        SCOPED_TRACE(text);
        auto box = Load(text);
        EXPECT_EQ(box->Count(), 0);
        box->UpdateAll(20);
        box->DrawAll();
        EXPECT_TRUE(toytest::Markers(draw).empty());
    }
}

TEST_F(ToyBoxTest, MissingSourceLeavesTheConstructor) {
    testmedia::ScopedResources none({});
    try {
        TToyBox box(&kernel, "no-such-toybox-source", GameToyClasses());
        FAIL() << "a box was made";
    } catch (const EDataError& error) {
        EXPECT_STREQ(error.what(), "TTexDb : ファイルがありません");
    }
}

TEST_F(ToyBoxTest, ReadsTheSourceFromAResource) {
    testmedia::ScopedResources resources(
        {{"TEXT", "SCENE", testmedia::Bytes("{\r\n\tclass\t\tPicture\r\n\tname\t\tp\r\n}\r\n")}});
    TToyBox box(&kernel, "scene", GameToyClasses());
    ASSERT_EQ(box.Count(), 1);
    EXPECT_EQ(box.GetToy(0)->name, "p");
}

TEST_F(ToyBoxTest, DestroyingOrClearingTheBoxDeletesEveryImagesSprite) {
    testmedia::ScopedResources resources({Bitmap("sheet", toytest::MarkerSheet(2, 1, 8, 8))});
    std::string text = "{\nclass Command\nchdir Resource\n}\n";
    for (const char* name : {"a", "b", "c"}) text += std::string("{\nclass Image\nname ") + name + "\nfileName sheet\n}\n";
    auto box = Load(text);
    ASSERT_EQ(box->Count(), 3);
    for (const char* name : {"a", "b", "c"}) EXPECT_NE(draw.GetSpriteSurf(name), nullptr) << name;
    box.reset();
    for (const char* name : {"a", "b", "c"}) EXPECT_EQ(draw.GetSpriteSurf(name), nullptr) << name;

    auto again = Load(text + "{\nclass Picture\nname p\nimageId a\n}\n");
    again->ClearToys();
    EXPECT_EQ(again->Count(), 0);
    EXPECT_EQ(again->FindToy("Picture", "p"), nullptr);
    EXPECT_EQ(draw.GetSpriteSurf("a"), nullptr);
}

TEST_F(ToyBoxTest, DrawAllDrawsVisibleToysInRecordOrder) {
    testmedia::ScopedResources resources({Bitmap("sheet", toytest::SolidSheet(3, 1, 10, 10))});
    auto box = Load("{\nclass Command\nchdir Resource\n}\n"
                    "{\nclass Image\nname img\nfileName sheet\nsize 10,10\nshow 1\n}\n"
                    "{\nclass Frame\nname frm\nimageId img\ncellNum 1\ncell 100,100,2\nshow 1\n}\n"
                    "{\nclass Anime\nname ani\nseqNum 1\nfrm 100\nshow 1\n}\n"
                    "{\nclass Picture\nname under\nimageId img\npos 0,0\nshow 1\n}\n"
                    "{\nclass Picture\nname over\nimageId img\npos 5,5\nnum 1\nshow 1\n}\n"
                    "{\nclass Picture\nname hidden\nimageId img\npos 7,7\nnum 2\n}\n");
    box->DrawAll();
    EXPECT_EQ(draw.RgbAt(2, 2), CellColour(0));
    EXPECT_EQ(draw.RgbAt(7, 7), CellColour(1));  // the later record lies over the earlier one
    EXPECT_EQ(draw.RgbAt(14, 14), CellColour(1));
    EXPECT_EQ(draw.RgbAt(15, 15), 0u);            // nothing of the hidden picture
    EXPECT_EQ(draw.RgbAt(100, 100), 0u);          // frames and animes draw only through a player

    draw.Clear();
    box->ShowToy("Picture", "hidden");
    box->DrawAll();
    EXPECT_EQ(draw.RgbAt(15, 15), CellColour(2));
    EXPECT_EQ(draw.RgbAt(7, 7), CellColour(2));
}

TEST_F(ToyBoxTest, UpdateAllAdvancesEveryToyVisibleOrNot) {
    auto box = Load("{\nclass Frame\nname f\n}\n{\nclass Anime\nname a\nseqNum 1\nf 1000\n}\n"
                    "{\nclass Player\nname shown\nanimeId a\nshow 1\n}\n{\nclass Player\nname hidden\nanimeId a\n}\n");
    box->UpdateAll(20);
    box->UpdateAll(20);
    EXPECT_EQ(box->FindToyAs<TToyPlayer>("Player", "shown")->time, 40);
    EXPECT_EQ(box->FindToyAs<TToyPlayer>("Player", "hidden")->time, 40);
}

TEST_F(ToyBoxTest, LoadsWithoutDevices) {
    const std::string text = "{\nclass Image\nname i\nfileName bg\n}\n{\nclass Sound\nname s\nfileName get\n}\n"
                             "{\nclass Font\nname f\n}\n{\nclass Caption\nname c\nfontId f\ntext AB\nshow 1\n}\n"
                             "{\nclass Picture\nname p\nimageId i\nshow 1\n}\n";
    TKernel bare(nullptr, nullptr, nullptr, nullptr);
    for (TKernel* k : {&bare, static_cast<TKernel*>(nullptr)}) {
        auto box = TToyBox::FromText(k, text, GameToyClasses());
        ASSERT_EQ(box->Count(), 5);
        box->UpdateAll(20);
        box->DrawAll();
        EXPECT_FALSE(box->LoadSprite("x", "bg", 0, 0));
        EXPECT_FALSE(box->LoadSound("x", "get"));
        EXPECT_FALSE(box->PlayMusic("BGM0", true));
    }
    // Sounds without a sound device: the toy exists, the load reports false.
    auto box = Load("{\nclass Sound\nname s\nfileName get\n}\n");
    EXPECT_EQ(box->Count(), 1);
    EXPECT_FALSE(box->LoadSound("s", "get"));
}

TEST_F(ToyBoxTest, TheGamesSceneGives79ToysWithElevenShown) {
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(PELLORO_SOURCE_DIR "/resources/toybox.txt", bytes));
    auto box = Load(std::string(bytes.begin(), bytes.end()));
    ASSERT_EQ(box->Count(), 79);
    EXPECT_EQ(box->ResourceDir(), "Resource");
    const std::pair<int, const char*> firsts[] = {{0, "Image"}, {16, "Sound"}, {19, "Frame"}, {33, "Anime"},
                                                  {42, "Picture"}, {60, "Player"}, {64, "Number"}, {78, "Picture"}};
    for (const auto& [index, className] : firsts) EXPECT_EQ(box->GetToy(index)->className, className) << index;

    std::vector<std::string> shown;
    for (int i = 0; i < box->Count(); ++i) {
        if (box->GetToy(i)->visible != 0) shown.push_back(box->GetToy(i)->name);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{kHaikei, "player0", "\x97\x74", "\x8c\xa9\x8f\x6f\x82\xb5",
                                               "\x83\x58\x83\x52\x83\x41", "\x83\x5e\x83\x43\x83\x80",
                                               "\x83\x8c\x83\x78\x83\x8b", "rest0", "rest1", "rest2", "PUSHSPACE"}));

    // Cell sizes come from the records, so the hit rectangles hold without any bitmap.
    EXPECT_EQ(box->FindToyAs<TToyFrame>("Frame", "frame0")->hitRect, (THitRect{-20, -40, 44, 24}));
    auto* player = box->FindToyAs<TToyPlayer>("Player", "player0");
    ASSERT_NE(player->anime, nullptr);
    EXPECT_EQ(player->x, 160);
    EXPECT_EQ(player->y, 128);
    player->Draw(0, 0);
    EXPECT_EQ(player->hitRect, (THitRect{-32, -34, 32, 30}));
    EXPECT_EQ(box->FindToyAs<TToyPicture>("Picture", "kinomi5")->cell, 5);
    EXPECT_EQ(box->FindToyAs<TToyNumber>("Number", "\x83\x5e\x83\x43\x83\x80")->num, 30);
}

// One record of every kind, with and without the optional keys.
std::string RoundTripScene() {
    return "{\n\tclass\t\tImage\n\tname\t\t" + kHaikei + "\n\tfileName\tsheet\n\tsize\t\t16,16\n\tshow\t\t1\n}\n"
           "{\n\tclass\t\tImage\n\tname\t\twhole\n\tfileName\tsheet\n}\n"
           "{\n\tclass\t\tSound\n\tname\t\tget\n\tfileName\tget\n}\n"
           "{\n\tclass\t\tFont\n\tname\t\tfont\n\tfileName\tsheet\n\tsize\t\t16 16\n"
           "\twidth\t\t1,2,3,4,5,6,7,8\n\twidth\t\t9,10,11,12,13,14,15,16\n"
           "\twidth\t\t17,18,19,20,21,22,23,24\n\twidth\t\t-25,26,27,28,29\n}\n"
           "{\n\tclass\t\tPicture\n\tname\t\t" + kHaikei + "\n\timageId\t\t" + kHaikei + "\n\tpos\t\t10,-20\n\tnum\t\t3\n\tshow\t\t1\n}\n"
           "{\n\tclass\t\tPicture\n\tname\t\tlost\n\timageId\t\tnothing\n}\n"
           "{\n\tclass\t\tNumber\n\tname\t\tscore\n\timageId\t\t" + kHaikei + "\n\tpos\t\t96,32\n\tnum\t\t-42\n\tbase\t\tleft\n\tshow\t\t1\n}\n"
           "{\n\tclass\t\tNumber\n\tname\t\tlevel\n\timageId\t\twhole\n}\n"
           "{\n\tclass\t\tFrame\n\tname\t\tf0\n\timageId\t\t" + kHaikei + "\n\tpos\t\t5,0\n\tcellNum\t\t2\n\tcell\t\t-20,-40,0\n\tcell\t\t3,4,1\n}\n"
           "{\n\tclass\t\tFrame\n\tname\t\tf1\n\timageId\t\t" + kHaikei + "\n\tcellNum\t\t1\n\tcell\t\t0,0,2\n}\n"
           "{\n\tclass\t\tAnime\n\tname\t\twalk\n\tseqNum\t\t2\n\tf0\t\t100\n\tf1\t\t50\n}\n"
           "{\n\tclass\t\tPlayer\n\tname\t\tplayer0\n\tanimeId\t\twalk\n\tpos\t\t160,128\n\tshow\t\t1\n}\n"
           "{\n\tclass\t\tPlayer\n\tname\t\tidle\n}\n"
           "{\n\tclass\t\tCaption\n\tname\t\tcap\n\tfontId\t\tfont\n\tpos\t\t8,9\n\ttext\t\tHELLO\n\twave\t\t1\n\tshow\t\t1\n}\n";
}

const char* kResourceCommand = "{\n\tclass\t\tCommand\n\tchdir\t\tResource\n}\n";

TEST_F(ToyBoxTest, WrittenRecordsReadBackAsTheSameToys) {
    testmedia::ScopedResources resources({Bitmap("sheet", toytest::MarkerSheet(4, 2, 16, 16))});
    auto first = Load(kResourceCommand + RoundTripScene());
    ASSERT_EQ(first->Count(), 14);
    const std::vector<std::string> lines = WriteAll(*first);
    const std::string written = Join(lines);

    // Through the reader: one block per toy, with the keys the writer gave it.
    TTexDb db = TTexDb::FromText(written);
    ASSERT_EQ(db.Count(), first->Count());
    ASSERT_TRUE(db.SelectBlock(0));
    for (int i = 0; i < first->Count(); ++i, db.NextBlock()) {
        const TToyObject* toy = first->GetToy(i);
        SCOPED_TRACE(toy->name);
        EXPECT_EQ(db.ReadValue("class").Text(), toy->className);
        EXPECT_EQ(db.ReadValue("name").Text(), toy->name);
        EXPECT_EQ(db.ReadValue("show").Int(0), toy->visible);
        if (const auto* shape = dynamic_cast<const TToyShape*>(toy)) {
            EXPECT_EQ(db.ReadValue("pos").Int(0), shape->x);
            EXPECT_EQ(db.ReadValue("pos").Int(1), shape->y);
        }
        if (const auto* image = dynamic_cast<const TToyImage*>(toy)) {
            EXPECT_EQ(db.ReadValue("fileName").Text(), image->fileName);
            EXPECT_EQ(db.ReadValue("size").Int(0), image->cellWidth);
            EXPECT_EQ(db.ReadValue("size").Int(1), image->cellHeight);
        }
        if (const auto* picture = dynamic_cast<const TToyPicture*>(toy)) {
            EXPECT_EQ(db.ReadValue("imageId").Text(), picture->image ? picture->image->name : "");
        }
    }

    // Through a second box: the same toys, which write the very same lines again.
    auto second = Load(kResourceCommand + written);
    ASSERT_EQ(second->Count(), first->Count());
    EXPECT_EQ(WriteAll(*second), lines);
    for (int i = 0; i < first->Count(); ++i) {
        const TToyObject& again = *second->GetToy(i);
        const TToyObject& original = *first->GetToy(i);
        EXPECT_EQ(typeid(again), typeid(original)) << i;
    }

    const auto* frame = second->FindToyAs<TToyFrame>("Frame", "f0");
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->cells.size(), 2u);
    EXPECT_EQ(frame->cells[0].x, -20);
    EXPECT_EQ(frame->cells[1].cell, 1);
    EXPECT_EQ(frame->image, second->FindToy("Image", kHaikei));
    const auto* anime = second->FindToyAs<TToyAnime>("Anime", "walk");
    ASSERT_NE(anime, nullptr);
    EXPECT_EQ(anime->totalDuration, 150);
    EXPECT_EQ(anime->sequence[1].frame, second->FindToy("Frame", "f1"));
    EXPECT_EQ(second->FindToyAs<TToyPlayer>("Player", "player0")->anime, anime);
    EXPECT_EQ(second->FindToyAs<TToyFont>("Font", "font")->widths, first->FindToyAs<TToyFont>("Font", "font")->widths);
    EXPECT_EQ(second->FindToyAs<TToyFont>("Font", "font")->widths[24], -25);
    const auto* number = second->FindToyAs<TToyNumber>("Number", "score");
    EXPECT_EQ(number->num, -42);
    EXPECT_EQ(number->rightBased, 0);
    EXPECT_EQ(second->FindToyAs<TToyCaption>("Caption", "cap")->text, "HELLO");
    EXPECT_EQ(second->FindToyAs<TToyPicture>("Picture", "lost")->image, nullptr);
}

TEST_F(ToyBoxTest, EachToyWritesItsRecordInTheTextsLayout) {
    testmedia::ScopedResources resources({Bitmap("sheet", toytest::MarkerSheet(4, 2, 16, 16))});
    using Lines = std::vector<std::string>;
    const struct {
        std::string record;  // the block's lines inside the braces
        Lines written;       // what the toy writes; "show 1" there means it is shown before writing
    } cases[] = {
        {"class Image\nname whole\nfileName sheet\n",
         {"", "{", "\tclass\t\tImage", "\tname\t\twhole", "\tfileName\tsheet", "}"}},
        {"class Image\nname img\nfileName sheet\nsize 0,16\n",  // size is written when either value is set
         {"", "{", "\tclass\t\tImage", "\tname\t\timg", "\tshow\t\t1", "\tfileName\tsheet", "\tsize\t\t0,16", "}"}},
        {"class Sound\nname get\nfileName getwave\n",
         {"", "{", "\tclass\t\tSound", "\tname\t\tget", "\tshow\t\t1", "\tfileName\tgetwave", "}"}},
        {"class Font\nname font\nfileName sheet\nsize 8,8\nwidth 1,2,3,4,5,6,7,8\nwidth 9 10 11\n",
         {"", "{", "\tclass\t\tFont", "\tname\t\tfont", "\tfileName\tsheet", "\tsize\t\t8,8",
          "\twidth\t\t1,2,3,4,5,6,7,8", "\twidth\t\t9,0,0,0,0,0,0,0", "\twidth\t\t0,0,0,0,0,0,0,0",
          "\twidth\t\t0,0,0,0,0", "}"}},
        {"class Font\nname bare\n",
         {"", "{", "\tclass\t\tFont", "\tname\t\tbare", "\tfileName\t", "\twidth\t\t0,0,0,0,0,0,0,0",
          "\twidth\t\t0,0,0,0,0,0,0,0", "\twidth\t\t0,0,0,0,0,0,0,0", "\twidth\t\t0,0,0,0,0", "}"}},
        {"class Caption\nname c\nfontId font\npos 4,0\ntext HELLO\nwave 1\n",  // the wave is not written
         {"", "{", "\tclass\t\tCaption", "\tname\t\tc", "\tshow\t\t1", "\tpos\t\t\t4,0", "\tfontId\t\tfont",
          "\ttext\t\tHELLO", "}"}},
        {"class Caption\nname d\nfontId none\n",
         {"", "{", "\tclass\t\tCaption", "\tname\t\td", "\tfontId\t\t", "\ttext\t\t", "}"}},
        {"class Frame\nname frame4\nimageId whole\npos 5,0\ncellNum 2\ncell -20,-40,0\ncell 3,4,65535\n",
         {"", "{", "\tclass\t\tFrame", "\tname\t\tframe4", "\tpos\t\t\t5,0", "\timageId\t\twhole", "\tcellNum\t\t2",
          "\tcell\t\t-20,-40,0", "\tcell\t\t3,4,65535", "}"}},
        {"class Frame\nname frame5\nimageId nothing\ncellNum 1\ncell 1,2,3\n",
         {"", "{", "\tclass\t\tFrame", "\tname\t\tframe5", "\timageId\t\t", "\tcellNum\t\t1", "\tcell\t\t1,2,3", "}"}},
        {"class Anime\nname a\nseqNum 3\nframe4 100\nghost 50\nframe5 -7\n",  // a step without a frame too
         {"", "{", "\tclass\t\tAnime", "\tname\t\ta", "\tshow\t\t1", "\tseqNum\t\t3",
          "\tframe4\t\t100", "\tghost\t\t50", "\tframe5\t\t-7", "}"}},
        {"class Number\nname n\npos 96,32\nimageId whole\nbase left\nnum -42\n",
         {"", "{", "\tclass\t\tNumber", "\tname\t\tn", "\tshow\t\t1", "\tpos\t\t\t96,32", "\timageId\t\twhole",
          "\tbase\t\tleft", "\tnum\t\t\t-42", "}"}},
        {"class Number\nname lost\npos 96,32\nimageId nothing\nbase Left\n",  // only "left" is left
         {"", "{", "\tclass\t\tNumber", "\tname\t\tlost", "\tshow\t\t1", "\tpos\t\t\t96,32", "\timageId\t\t",
          "\tbase\t\tright", "\tnum\t\t\t0", "}"}},
        {"class Picture\nname early\nimageId later\npos 3,4\nnum 1\n",  // an image standing later is not found
         {"", "{", "\tclass\t\tPicture", "\tname\t\tearly", "\tshow\t\t1", "\tpos\t\t\t3,4", "\timageId\t\t", "}"}},
        {"class Image\nname later\nfileName sheet\nsize 32,32\n",
         {"", "{", "\tclass\t\tImage", "\tname\t\tlater", "\tfileName\tsheet", "\tsize\t\t32,32", "}"}},
        {"class Picture\nname pic\nimageId later\nnum 5\n",  // the cell is not written
         {"", "{", "\tclass\t\tPicture", "\tname\t\tpic", "\timageId\t\tlater", "}"}},
        {"class Player\nname p\nanimeId a\npos 160,128\n",
         {"", "{", "\tclass\t\tPlayer", "\tname\t\tp", "\tshow\t\t1", "\tpos\t\t\t160,128", "\tanimeId\t\ta", "}"}},
        {"class Player\nname q\nanimeId nothing\n",
         {"", "{", "\tclass\t\tPlayer", "\tname\t\tq", "\tanimeId\t\t", "}"}},
    };
    std::string scene = kResourceCommand;
    for (const auto& c : cases) scene += "{\n" + c.record + "}\n";
    auto box = Load(scene);
    ASSERT_EQ(box->Count(), static_cast<int>(std::size(cases)));
    for (int i = 0; i < box->Count(); ++i) {
        const auto& expected = cases[i].written;
        TToyObject* toy = box->GetToy(i);
        if (std::find(expected.begin(), expected.end(), "\tshow\t\t1") != expected.end()) toy->Show();
        Lines lines;
        toy->WriteRecord(lines);
        EXPECT_EQ(lines, expected) << toy->name;
    }
}

TEST_F(ToyBoxTest, WhatTheWriterLeavesOutReadsBackAsZero) {
    testmedia::ScopedResources resources({Bitmap("sheet", toytest::MarkerSheet(4, 2, 16, 16))});
    auto first = Load(kResourceCommand + RoundTripScene());
    auto second = Load(kResourceCommand + Join(WriteAll(*first)));

    // A picture's cell is not written: it comes back showing cell 0.
    EXPECT_EQ(first->FindToyAs<TToyPicture>("Picture", kHaikei)->cell, 3);
    EXPECT_EQ(second->FindToyAs<TToyPicture>("Picture", kHaikei)->cell, 0);
    // Nor is the wave a caption switched on in its font.
    EXPECT_TRUE(first->FindToyAs<TToyFont>("Font", "font")->wave);
    EXPECT_FALSE(second->FindToyAs<TToyFont>("Font", "font")->wave);
}

TEST_F(ToyBoxTest, NamesWithBlanksOrOver15BytesDoNotReadBack) {
    auto box = Load("{\nclass Picture\nname a\n}\n{\nclass Picture\nname b\n}\n");
    box->GetToy(0)->name = "two words";
    std::vector<std::string> lines;
    box->GetToy(0)->WriteRecord(lines);
    TTexDb blank = TTexDb::FromText(Join(lines));
    EXPECT_EQ(blank.ReadValue("name").Text(), "words");

    const std::string longName = "sixteen-bytes-xx";
    ASSERT_EQ(longName.size(), 16u);
    box->GetToy(1)->name = longName;
    lines.clear();
    box->GetToy(1)->WriteRecord(lines);
    try {
        TTexDb cut = TTexDb::FromText(Join(lines));
        EXPECT_NE(cut.ReadValue("name").Text(), longName);
    } catch (const EDataError&) {
        SUCCEED() << "the reader rejects a token over 15 bytes";
    }
}

}  // namespace
