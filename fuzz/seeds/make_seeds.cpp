// Writes the seed corpus of the fuzz targets: MXF files of the fixture writer in the layouts real
// writers produce (rates, track counts, sound element kinds, partitions, index placements, ANC,
// XAVC), WAV files of the WAV fixture behind a grid byte, byte strings for the text builders, and
// the files of the peer tools found in PEERDIR (*.mxf as they are, *.wav behind grid bytes).
//
//   tavrin_fuzz_seeds OUTDIR [PEERDIR]   -> OUTDIR/{fuzz_analysis,fuzz_wav,fuzz_texts}/...
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/mxf_fixture.h"
#include "support/wav_fixture.h"

namespace fs = std::filesystem;
using namespace tavrin::test;

namespace {

bool store(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

std::vector<uint8_t> load(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Small files: a few frames, a small picture, so that the fuzzer spends its time in the parser.
MxfFixtureOptions small_mxf() {
  MxfFixtureOptions o;
  o.frameCount = 6;
  o.pictureSize = 700;
  o.trackCount = 4;
  return o;
}

std::vector<std::pair<std::string, std::function<void(MxfFixtureOptions&)>>> mxf_variants() {
  return {
      {"default", [](MxfFixtureOptions&) {}},
      {"r25", [](MxfFixtureOptions& o) { set_edit_rate(o, 25, 1); }},
      {"r24", [](MxfFixtureOptions& o) { set_edit_rate(o, 24, 1); }},
      {"r2398", [](MxfFixtureOptions& o) { set_edit_rate(o, 24000, 1001); }},
      {"r5994", [](MxfFixtureOptions& o) { set_edit_rate(o, 60000, 1001); }},
      {"r50", [](MxfFixtureOptions& o) { set_edit_rate(o, 50, 1); }},
      {"tracks0", [](MxfFixtureOptions& o) { o.trackCount = 0; }},
      {"tracks1", [](MxfFixtureOptions& o) { o.trackCount = 1; }},
      {"tracks8_16bit",
       [](MxfFixtureOptions& o) {
         o.trackCount = 8;
         o.quantizationBits = 16;
         o.blockAlign = 2;
       }},
      {"bwf",
       [](MxfFixtureOptions& o) {
         o.audioDescriptor = AudioDescriptorKind::kWave;
         o.soundElement = SoundElementKind::kBwf;
       }},
      {"xavc", [](MxfFixtureOptions& o) { o.videoDescriptor = VideoDescriptorKind::kCdciAvc; }},
      {"anc", [](MxfFixtureOptions& o) { o.ancElement = true; }},
      {"partitions", [](MxfFixtureOptions& o) { o.framesPerPartition = 2; }},
      {"footer_index",
       [](MxfFixtureOptions& o) {
         o.indexInBody = false;
         o.indexInFooter = true;
       }},
      {"header_index", [](MxfFixtureOptions& o) { o.indexInHeader = true; }},
      {"segments", [](MxfFixtureOptions& o) { o.maxSegmentDuration = 2; }},
      {"short_ber", [](MxfFixtureOptions& o) { o.shortBerLengths = true; }},
      {"no_system_item", [](MxfFixtureOptions& o) { o.systemItem = false; }},
      {"constant_index", [](MxfFixtureOptions& o) { o.constantSizeIndex = true; }},
      {"empty_deltas", [](MxfFixtureOptions& o) { o.emptyDeltaArray = true; }},
      {"length8", [](MxfFixtureOptions& o) { o.soundLength8 = true; }},
      {"kag1", [](MxfFixtureOptions& o) { o.kagSize = 1; }},
      {"version12",
       [](MxfFixtureOptions& o) {
         o.prefaceVersionMinor = 2;
         o.packMinorVersion = 2;
       }},
      {"timecode_breaks",
       [](MxfFixtureOptions& o) {
         o.timecodeOverrides[2] = FixtureTimecode{10, 0, 0, 9};
         o.timecodeOverrides[4] = FixtureTimecode{9, 59, 59, 0};
       }},
      {"hour23", [](MxfFixtureOptions& o) { set_start_timecode(o, 23, 59, 59, 27); }},
  };
}

struct WavSeed {
  std::string name;
  WavLayout layout;
};

std::vector<WavSeed> wav_variants() {
  std::vector<WavSeed> seeds;
  auto add = [&](std::string name, WavParams p, const std::function<void(WavLayout&)>& change) {
    p.sampleFrames = 96;
    WavLayout layout = make_wav(p);
    if (change) change(layout);
    seeds.push_back({std::move(name), std::move(layout)});
  };
  WavParams p;
  add("stereo24", p, nullptr);
  p.channels = 1;
  p.bits = 16;
  add("mono16", p, nullptr);
  p.timeReference = uint64_t{48000} * 36000;
  add("bwf_mono16", p, nullptr);
  p.bextSize = 300;
  add("short_bext", p, nullptr);
  p.bextSize = 602;
  p.extensible = true;
  p.formatTag = 0xFFFE;
  add("extensible", p, nullptr);
  WavParams q;
  q.timeReference = uint64_t{48000} * 3600 * 23 + 4000;
  add("junk_first", q,
      [](WavLayout& l) { l.chunks.insert(l.chunks.begin(), filler_chunk("JUNK", 27)); });
  add("data_before_fmt", q, [](WavLayout& l) { l.move(static_cast<size_t>(l.find("data")), 0); });
  add("cut_data", q, [](WavLayout& l) { l.chunks.back().sizeField = 1u << 30; });
  WavParams r;
  r.sampleRate = 44100;
  add("rate44100", r, nullptr);
  return seeds;
}

// Grid bytes: every rate code with and without the drop flag, and one code above 7.
constexpr uint8_t kGrids[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x0E, 0x0F, 0x90};

void write_wav_seed(const fs::path& dir, const std::string& name, const std::vector<uint8_t>& wav) {
  for (const uint8_t grid : kGrids) {
    std::vector<uint8_t> seed{grid};
    seed.insert(seed.end(), wav.begin(), wav.end());
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "_%02x", grid);
    store(dir / (name + suffix), seed);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR [PEERDIR]\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[1];
  const fs::path analysis = out / "fuzz_analysis";
  const fs::path wav = out / "fuzz_wav";
  const fs::path texts = out / "fuzz_texts";
  for (const fs::path& dir : {analysis, wav, texts}) fs::create_directories(dir);

  std::vector<uint8_t> someMxf;
  for (const auto& [name, change] : mxf_variants()) {
    MxfFixtureOptions o = small_mxf();
    change(o);
    const std::vector<uint8_t> bytes = build_mxf_fixture(o);
    if (someMxf.empty()) someMxf = bytes;
    if (!store(analysis / (name + ".mxf"), bytes)) return 1;
  }
  for (const WavSeed& seed : wav_variants()) write_wav_seed(wav, seed.name, wav_bytes(seed.layout));

  // The text builders take any bytes; seeds of several lengths fill records of every part.
  for (const size_t n : {size_t{0}, size_t{64}, size_t{600}, size_t{2048}}) {
    std::vector<uint8_t> bytes(n);
    uint32_t x = 0x2545F491u ^ static_cast<uint32_t>(n);
    for (uint8_t& b : bytes) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      b = static_cast<uint8_t>(x);
    }
    store(texts / ("random_" + std::to_string(n)), bytes);
  }
  store(texts / "mxf_head", std::vector<uint8_t>(someMxf.begin(), someMxf.begin() + 1500));

  if (argc > 2 && fs::is_directory(argv[2])) {
    for (const fs::directory_entry& entry : fs::directory_iterator(argv[2])) {
      const fs::path& p = entry.path();
      if (p.extension() == ".mxf")
        fs::copy_file(p, analysis / ("peer_" + p.filename().string()),
                      fs::copy_options::overwrite_existing);
      if (p.extension() == ".wav") write_wav_seed(wav, "peer_" + p.stem().string(), load(p));
    }
  }
  return 0;
}
