#include "toys/Toyobject.h"

#include <utility>

TToyObject::TToyObject(TToyBox* box, std::string className, std::string name)
    : className(std::move(className)), name(std::move(name)), box(box) {}

TToyObject::~TToyObject() = default;

void TToyObject::Draw(std::int32_t, std::int32_t) {}

void TToyObject::Update(std::int32_t) {}

void TToyObject::Show() { visible = 1; }

void TToyObject::Hide() { visible = 0; }

void TToyObject::WriteRecord(std::vector<std::string>& lines) const {
    // The empty line keeps the record apart from whatever stands before it; the reader ignores it.
    lines.emplace_back();
    lines.emplace_back("{");
    lines.push_back("\tclass\t\t" + className);
    lines.push_back("\tname\t\t" + name);
    // A hidden toy leaves show out: an absent key reads back as 0.
    if (visible != 0) lines.emplace_back("\tshow\t\t1");
}
