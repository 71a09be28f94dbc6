#include "game/Trace.h"

#include <charconv>
#include <cmath>

#include "game/Gamemain.h"
#include "platform/Decimal.h"
#include "toys/Toypicture.h"
#include "toys/Toyplayer.h"

namespace {

class JsonLine {
public:
    JsonLine() { text.reserve(2048); }

    void Key(const char* key) {
        if (needComma) text += ',';
        text += '"';
        text += key;
        text += "\":";
        needComma = false;
    }
    void Int(std::int64_t value) {
        Separate();
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        text.append(buffer, result.ptr);
        needComma = true;
    }
    // The shortest text that reads back as the same 32-bit float.
    void Float(float value) {
        Separate();
        if (!std::isfinite(value)) {
            text += "null";
        } else {
            text += platform::ShortestDecimal(value);
        }
        needComma = true;
    }
    void Bool(bool value) {
        Separate();
        text += value ? "true" : "false";
        needComma = true;
    }
    void Open(char bracket) {
        Separate();
        text += bracket;
        needComma = false;
    }
    void Close(char bracket) {
        text += bracket;
        needComma = true;
    }
    void Int(const char* key, std::int64_t value) {
        Key(key);
        Int(value);
    }
    void Float(const char* key, float value) {
        Key(key);
        Float(value);
    }
    void Bool(const char* key, bool value) {
        Key(key);
        Bool(value);
    }

    std::string text;

private:
    void Separate() {
        if (needComma) text += ',';
    }
    bool needComma = false;
};

}  // namespace

std::string TraceLine(const TGameMainMode& game, std::int64_t frame) {
    JsonLine json;
    json.Open('{');
    json.Int("frame", frame);
    json.Int("scene", game.SceneNumber());
    json.Int("phase", game.PhaseNumber());
    json.Int("phaseTimer", game.PhaseTimer());
    json.Int("score", game.Score());
    json.Int("level", game.Level());
    json.Int("timeLeft", game.TimeLeft());
    json.Int("misses", game.Misses());
    json.Bool("missFlag", game.MissFlag());
    json.Int("count", game.Count());
    json.Int("fall", game.Fall());
    json.Int("kinds", game.Kinds());
    json.Key("order");
    json.Open('[');
    for (std::int32_t kind : game.Order()) json.Int(kind);
    json.Close(']');
    json.Int("caughtCount", game.CaughtCount());
    json.Key("caughtKinds");
    json.Open('[');
    for (std::int32_t kind : game.CaughtKinds()) json.Int(kind);
    json.Close(']');
    json.Int("facing", game.FacingNumber());
    json.Int("x", game.Squirrel().x);
    json.Int("y", game.Squirrel().y);
    json.Key("slots");
    json.Open('[');
    for (std::int32_t i = 0; i < kMaxNuts; ++i) {
        const NutSlot& slot = game.Slot(i);
        json.Open('{');
        json.Int("x", slot.x);
        json.Int("groundY", slot.groundY);
        json.Float("height", slot.height);
        json.Float("speed", slot.speed);
        json.Bool("falling", slot.falling != 0);
        json.Bool("caught", slot.caught != 0);
        json.Int("kind", slot.kind);
        json.Int("nutX", slot.nut->x);
        json.Int("nutY", slot.nut->y);
        json.Int("cell", slot.nut->cell);
        json.Bool("visible", slot.nut->visible != 0);
        json.Close('}');
    }
    json.Close(']');
    json.Close('}');
    return json.text;
}
