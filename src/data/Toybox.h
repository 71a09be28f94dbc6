#pragma once
// The container and loader of every toy: one toy per record of a text database, kept in record
// order, which is also the draw and update order; and the rule that turns file names into media paths.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "data/ToyClassTable.h"
#include "toys/Toyobject.h"

class TKernel;
class TVekDraw;
class TTexDb;

class TToyBox {
public:
    // Loads the "TEXT" resource or file of that name, building a toy for each record whose class is in
    // `classes`; its errors (EDataError) leave the constructor.
    TToyBox(TKernel* kernel, const std::string& sourceName, TToyClasses classes);
    // Loads from a text database already read (tests, fuzzing); the database's block selection moves.
    TToyBox(TKernel* kernel, TTexDb& db, TToyClasses classes);
    static std::unique_ptr<TToyBox> FromText(TKernel* kernel, std::string_view text, TToyClasses classes);
    ~TToyBox();
    TToyBox(const TToyBox&) = delete;
    TToyBox& operator=(const TToyBox&) = delete;

    void AddToy(std::unique_ptr<TToyObject> toy);
    TToyObject* GetToy(std::int32_t index) const;
    TToyObject* FindToy(const std::string& className, const std::string& name) const;
    TToyObject* ShowToy(const std::string& className, const std::string& name);
    TToyObject* HideToy(const std::string& className, const std::string& name);
    // FindToy with the toy's concrete class, e.g. FindToyAs<TToyPicture>(kClassPicture, name).
    template <class T>
    T* FindToyAs(const std::string& className, const std::string& name) const {
        return dynamic_cast<T*>(FindToy(className, name));
    }
    std::int32_t Count() const { return static_cast<std::int32_t>(toys.size()); }

    void DrawAll();
    void UpdateAll(std::int32_t ms);

    bool LoadSprite(const std::string& name, const std::string& fileName, std::int32_t cellWidth,
                    std::int32_t cellHeight);
    bool LoadSound(const std::string& name, const std::string& fileName);
    bool PlayMusic(const std::string& fileName, bool loop);
    // The path the devices are given for a file name and an extension such as ".bmp".
    std::string MakePath(const std::string& fileName, const std::string& extension) const;

    void ClearToys();

    TKernel* Kernel() const { return kernel; }
    // The draw device the toys draw through; null without a kernel or a draw device.
    TVekDraw* DrawDevice() const;
    const std::string& ResourceDir() const { return resourceDir; }

private:
    void Load(TTexDb& db);
    void RunCommand(TTexDb& db);

    TKernel* kernel;  // not owned; may be null
    using ToyKey = std::pair<std::string, std::string>;  // class name, name
    struct ToyKeyHash {
        std::size_t operator()(const ToyKey& key) const;
    };

    TToyClasses classes;
    std::vector<std::unique_ptr<TToyObject>> toys;
    std::unordered_map<ToyKey, TToyObject*, ToyKeyHash> byName;  // the first toy of each key
    std::string resourceDir;
};
