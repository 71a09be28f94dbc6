#pragma once
// The record classes of the scene text, and the table through which the toy box builds a toy of
// each: the toy box knows only the classes it is handed, and skips records of any other class.
#include <memory>
#include <span>

class TToyBox;
class TToyObject;
class TTexDb;

inline constexpr char kClassImage[] = "Image";
inline constexpr char kClassSound[] = "Sound";
inline constexpr char kClassFont[] = "Font";
inline constexpr char kClassPicture[] = "Picture";
inline constexpr char kClassNumber[] = "Number";
inline constexpr char kClassCaption[] = "Caption";
inline constexpr char kClassFrame[] = "Frame";
inline constexpr char kClassAnime[] = "Anime";
inline constexpr char kClassPlayer[] = "Player";
// Not a toy: its lines after "class" are commands to the toy box itself (chdir).
inline constexpr char kClassCommand[] = "Command";

// Builds the toy of one class from the record the database has selected.
using TToyMaker = std::unique_ptr<TToyObject> (*)(TToyBox* box, TTexDb& db);

struct TToyClass {
    const char* name;
    TToyMaker make;
};

using TToyClasses = std::span<const TToyClass>;
