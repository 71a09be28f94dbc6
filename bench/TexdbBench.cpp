// Parsing a scene text the size of the game's toy box: about 6 KB in 80 records, CR LF, tabs,
// comments between the records.
#include <benchmark/benchmark.h>

#include <string>

#include "data/Texdb.h"

namespace {

std::string SceneText() {
    static const char* const kClasses[] = {"Image", "Picture", "Frame", "Sound", "Number", "Anime"};
    std::string text = "# scene\r\n";
    for (int i = 0; i < 80; ++i) {
        if (i % 10 == 0) text += "\r\n# group " + std::to_string(i / 10) + "\r\n";
        text += "{\r\n\tclass\t\t";
        text += kClasses[i % 6];
        text += "\r\n\tname\t\tobj" + std::to_string(i) + "\r\n";
        if (i % 3 != 0) text += "\tshow\t\t1\r\n";
        text += "\tpos\t\t\t" + std::to_string(i * 4) + "," + std::to_string(240 - i * 3) + "\r\n";
        if (i % 2 == 0) text += "\tfileName\tpic" + std::to_string(i) + ".bmp\r\n";
        if (i % 4 == 1) text += "\tsize\t\t16, 16\t# cell\r\n";
        text += "}\r\n";
    }
    return text;
}

void BM_ParseSceneText(benchmark::State& state) {
    const std::string text = SceneText();
    for (auto _ : state) {
        TTexDb db = TTexDb::FromText(text);
        benchmark::DoNotOptimize(db.Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseSceneText)->Unit(benchmark::kMicrosecond);

void BM_FindBlockByName(benchmark::State& state) {
    TTexDb db = TTexDb::FromText(SceneText());
    const TexValue last = TexValue::FromText("obj79");
    for (auto _ : state) benchmark::DoNotOptimize(db.FindBlock("name", last));
}
BENCHMARK(BM_FindBlockByName);

}  // namespace
