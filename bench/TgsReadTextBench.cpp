// The text reader over a 1 MB module of Japanese text with an inline
// command every few lines (handlers that return at once, one of them
// flushing the page), against iconv converting the same text from CP932 to
// UTF-8: a scanner that also visits every character.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "PeerReport.h"
#include "TobCompiler.h"
#include "frame/TgsFrame.h"
#include "platform/TextCodec.h"
#include "script/ScriptHost.h"

namespace {

constexpr size_t kModuleBytes = 1u << 20;

const char* const kLines[] = {
    "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。",
    "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。",
    "「おはようございます」と彼女は言った。窓の外では雨が降り続いている。",
};

struct Sample {
  std::vector<uint8_t> module;
  std::string text;  // the module's text characters alone, CP932
};

const Sample& GetSample() {
  static const Sample sample = [] {
    std::string source = "module BENCH\n";
    std::string plain;
    size_t line = 0;
    while (plain.size() < kModuleBytes) {
      const char* text = kLines[line % 3];
      source += text;
      plain += orrivel::platform::Utf8ToCp932Lossy(text);
      if (++line % 3 == 0) source += "[50 1 \"声\"][51]";
      source += "\n";
    }
    orrivel::tob::Story story;
    std::string error;
    orrivel::tob::Compile(source, story, error);
    return Sample{orrivel::tob::StoryFiles(story).at(0).second, plain};
  }();
  return sample;
}

void BM_TgsReadText(benchmark::State& state) {
  const Sample& sample = GetSample();
  orrivel::ScriptRequestState requests;
  orrivel::ScriptHost host(&requests);
  orrivel::TgsFrameEnvironment environment;
  environment.host = &host;
  orrivel::TgsFrame frame(host.Space(), environment);
  frame.SetFileReader([&sample](const std::string&) -> orrivel::ScriptFileBytes { return sample.module; });
  frame.Opcodes().Register(50, [](orrivel::TgsFrame&, const orrivel::TgsArguments&) { return 0; });
  frame.Opcodes().Register(51, [](orrivel::TgsFrame& f, const orrivel::TgsArguments&) { return f.FlushPage() * 0; });
  frame.SetPageSink([](std::span<const uint8_t> page, const std::string&, const std::string&) {
    benchmark::DoNotOptimize(page.data());
  });
  frame.LoadScriptByName("BENCH");
  const uint32_t start = frame.ReadPosition();
  for (auto _ : state) {
    frame.SetReadPosition(start);
    if (frame.ReadText() != 0) state.SkipWithError("the module did not play to its end");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(sample.module.size()));
}
BENCHMARK(BM_TgsReadText)->Unit(benchmark::kMillisecond);

void BM_IconvCp932ToUtf8(benchmark::State& state) {
  const Sample& sample = GetSample();
  for (auto _ : state) {
    auto utf8 = orrivel::platform::Cp932ToUtf8(sample.text);
    benchmark::DoNotOptimize(utf8);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(sample.text.size()));
}
BENCHMARK(BM_IconvCp932ToUtf8)->Unit(benchmark::kMillisecond);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_TgsReadText", "BM_IconvCp932ToUtf8"})
