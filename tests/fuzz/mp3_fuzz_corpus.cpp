// Writes the seed corpus of the fuzzers: OUTDIR/header/, tag/, profile/, numbers/ and script/.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

// A frame header (no CRC, original) from the version, layer, bit-rate, rate and mode codes.
static std::string frameHeader(int v, int l, int b, int r, int m)
{
    return {char(0xFF), char(0xE0 | v << 3 | l << 1 | 1), char(b << 4 | r << 2), char(m << 6 | 4)};
}

// "TAG", the five text fields padded with `pad`, and the genre byte.
static std::string tag(const std::string& title, char pad, unsigned char genre)
{
    return ("TAG" + title).append(124 - title.size(), pad) + char(genre);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string mpeg1 = frameHeader(3, 1, 9, 0, 1), zeros(4096, '\0'), sep = "\x01";
    const std::pair<const char*, std::string> seeds[] = {
        {"header/mpeg2-joint", zeros.substr(0, 10) + frameHeader(2, 1, 8, 0, 1) + zeros},
        {"header/mpeg25-single", frameHeader(0, 1, 1, 2, 3) + zeros.substr(0, 3000)},
        {"header/layer1-padded", "\xFF\xFF\x92\x04" + zeros.substr(0, 900)},
        {"header/half-byte", zeros.substr(0, 5) + "\xAF\xFE\x3B\x90\x44" + zeros.substr(0, 900)},
        {"header/reserved-version", frameHeader(1, 1, 9, 0, 1) + zeros.substr(0, 500)},
        {"header/cut-header", zeros.substr(0, 200) + mpeg1.substr(0, 3)},
        {"header/all-ff", std::string(300, '\xFF')},
        {"header/id3v2", std::string("ID3\x03\0\0\0\0\0\x14", 10) + "\xFF\xFE" +
                             zeros.substr(0, 18) + mpeg1 + zeros.substr(0, 900)},
        {"header/id3v2-footer", std::string("ID3\x04\0\x10\0\0\x01\0", 10) + zeros.substr(0, 138) +
                                    mpeg1 + zeros.substr(0, 900)},
        // Encoders' frames: lame's Info frame with its delay and padding, a VBRI frame.
        {"header/lame-info", frameHeader(3, 1, 9, 0, 1) + zeros.substr(0, 32) + "Info" +
                                 std::string("\0\0\0\x0f\0\0\0\x74\0\0\xbf\x50", 12) +
                                 zeros.substr(0, 104) + "LAME3.100" + zeros.substr(0, 12) +
                                 "\x24\x03\x2b" + zeros.substr(0, 400)},
        {"header/vbri", frameHeader(3, 1, 9, 0, 0) + zeros.substr(0, 32) + "VBRI" +
                            std::string("\0\x01\0\0\0\0\0\x03\x0d\x40\0\0\x01\xf4", 14) +
                            zeros.substr(0, 400)},
        {"header/tail-tags", frameHeader(3, 1, 9, 1, 0) + zeros.substr(0, 600) + "APETAGEX" +
                                 std::string("\xd0\x07\0\0\x30\0\0\0\x01\0\0\0\0\0\0\x80", 16) +
                                 zeros.substr(0, 8) + tag("x", ' ', 1)},
        {"tag/audio-and-tag", mpeg1 + zeros.substr(0, 400) + tag("Caf\xE9 \x80", ' ', 255)},
        {"tag/nul-padded", zeros.substr(0, 300) + tag("x", '\0', 32)},
        {"tag/lower-case", mpeg1 + zeros.substr(0, 300) + "tag" + zeros.substr(0, 125)},
        {"tag/short", zeros.substr(0, 127)},
        // Profile files: the file, then \x01 and section, key, value, another section and key.
        {"profile/preset",
         "[General]\r\nDescription=Voix\r\nBitrate=128\r\n[VBR]\r\nQualit\xE9=4\r\n" + sep + "VBR" +
             sep + "Qualit\xC3\xA9" + sep + " 7 " + sep + "General" + sep + "Bitrate"},
        {"profile/utf8", "\xEF\xBB\xBF[Main]\nmnuFile=\xC3\xA9t\xC3\xA9\n" + sep + "Main" + sep +
                             "k" + sep + "\xEF\xBB\xBFv" + sep + "main" + sep + "MNUFILE"},
        {"profile/lone-cr", "[O]\r\nMode=1\r" + sep + "O" + sep + "Bitrate" + sep + "\"128\"" +
                                sep + "O" + sep + "Mode"},
        {"profile/odd", std::string("[a]]\r\n[b\r\nk=\0x\r\n[A]\nK=1\n", 24) + sep + "a]" + sep +
                            "=" + sep + "v" + sep + "A" + sep + "k"},
        {"numbers/plain", " -12.5e3 "},
        {"numbers/hex", "&HFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"},
        {"numbers/tiny", "1e-400"},
        {"script/hostile", "--tt \"My Song\" -b 128" + sep + "say \"$(touch X)\" `id`.wav" + sep +
                               "line\nbreak \\ $HOME.mp3"},
        {"script/dash", "\x02-b 'a b'" + sep + "-rf .wav" + sep + "--decode.wav"},
    };
    std::error_code error;
    for (const auto& [name, bytes] : seeds) {
        const std::filesystem::path file = std::filesystem::path(argv[1]) / name;
        std::filesystem::create_directories(file.parent_path(), error);
        if (!(std::ofstream(file, std::ios::binary) << bytes)) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
