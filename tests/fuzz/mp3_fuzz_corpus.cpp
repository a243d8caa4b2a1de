// Writes the seed corpus of the two reader fuzzers: OUTDIR/header/ and OUTDIR/tag/.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

using Bytes = std::string;

// The four bytes of a frame header (without CRC, original).
Bytes frameHeader(int version, int layer, int bitrateIndex, int rateIndex, int mode,
                  bool padding = false)
{
    return {char(0xFF), char(0xE0 | version << 3 | layer << 1 | 1),
            char(bitrateIndex << 4 | rateIndex << 2 | (padding ? 2 : 0)), char(mode << 6 | 4)};
}

Bytes zeros(std::size_t count)
{
    return Bytes(count, '\0');
}

// "TAG", the five text fields padded with `pad`, and the genre byte.
Bytes tag(const Bytes& title, char pad, unsigned char genre)
{
    Bytes record = "TAG" + title;
    record.resize(127, pad);
    return record + char(genre);
}

bool save(const fs::path& folder, const std::string& name, const Bytes& bytes)
{
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const fs::path header = fs::path(argv[1]) / "header";
    const fs::path tags = fs::path(argv[1]) / "tag";
    std::error_code error;
    fs::create_directories(header, error);
    fs::create_directories(tags, error);

    const Bytes mpeg1 = frameHeader(3, 1, 9, 0, 1);
    bool ok = true;
    ok &= save(header, "mpeg1", mpeg1 + zeros(2000));
    ok &= save(header, "mpeg2-joint", zeros(10) + frameHeader(2, 1, 8, 0, 1) + zeros(1000));
    ok &= save(header, "mpeg25-single", frameHeader(0, 1, 1, 2, 3) + zeros(3000));
    ok &= save(header, "layer1-padded", frameHeader(3, 3, 9, 0, 0, true) + zeros(900));
    ok &= save(header, "layer2", frameHeader(3, 2, 9, 1, 2) + zeros(900));
    ok &= save(header, "half-byte", zeros(5) + "\xAF\xFE\x3B\x90\x44" + zeros(900));
    ok &= save(header, "rejected-then-valid", "\xFF\xFB\x9C\xFF\xFB\x90\x44" + mpeg1 + zeros(500));
    ok &= save(header, "reserved-version", frameHeader(1, 1, 9, 0, 1) + zeros(500));
    ok &= save(header, "cut-header", zeros(200) + mpeg1.substr(0, 3));
    ok &= save(header, "all-ff", Bytes(300, char(0xFF)));
    ok &= save(header, "window-edge", zeros(4092) + mpeg1 + zeros(200));
    ok &= save(header, "tagged", mpeg1 + zeros(600) + tag("title", ' ', 12));

    ok &= save(tags, "tag-only", tag("title", ' ', 32));
    ok &= save(tags, "audio-and-tag", mpeg1 + zeros(400) + tag("Caf\xE9 \x80", ' ', 255));
    ok &= save(tags, "nul-padded", zeros(300) + tag("x", '\0', 0));
    ok &= save(tags, "lower-case", zeros(300) + "tag" + zeros(125));
    ok &= save(tags, "short", zeros(127));
    ok &= save(tags, "untagged", mpeg1 + zeros(400));
    if (!ok) {
        std::fprintf(stderr, "cannot write the corpus under %s\n", argv[1]);
        return 1;
    }
    return 0;
}
