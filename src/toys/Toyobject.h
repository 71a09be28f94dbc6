#pragma once
// The root of every toy the toy box builds from a record: class name, name, owning box, visibility,
// and the operations the box and the game call on any toy.
#include <cstdint>
#include <string>
#include <vector>

class TToyBox;

class TToyObject {
public:
    TToyObject(TToyBox* box, std::string className, std::string name);
    virtual ~TToyObject();
    TToyObject(const TToyObject&) = delete;
    TToyObject& operator=(const TToyObject&) = delete;

    virtual void Draw(std::int32_t offsetX, std::int32_t offsetY);
    virtual void Update(std::int32_t ms);
    virtual void Show();
    virtual void Hide();
    // Appends the record lines that read back as this toy; the base leaves the record open.
    virtual void WriteRecord(std::vector<std::string>& lines) const;

    std::string className;  // the record's class, compared byte for byte
    std::string name;       // Shift-JIS bytes, compared byte for byte
    TToyBox* box;           // not owned
    std::uint8_t visible = 0;
};
