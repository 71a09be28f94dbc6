#pragma once
// A modder's check: the scene and difficulty texts and every medium they name, loaded as the game
// loads them (the data folder first, then the program's resources) but without a window or an audio
// device, reporting every problem rather than stopping at the first.
#include "data/Problems.h"

class TDataCheck {
public:
    // Runs the whole check; call once.
    TProblems Run();

private:
    struct Text;
    bool LoadText(const char* name, Text& text);
    void CheckDifficulty(Text& text);
    void CheckScene(Text& text);
    // The file or resource that `path` names for a medium of that type, as the devices would find it;
    // false (after noting an error) when there is none. Notes a name matched ignoring letter case.
    bool FindMedium(const char* type, const std::string& path, const std::string& source, int line,
                    std::vector<unsigned char>& bytes, std::string& shown);

    TProblems problems;
};
