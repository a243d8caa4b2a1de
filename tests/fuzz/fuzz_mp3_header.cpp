// libFuzzer target: the MPEG audio header reader on arbitrary file content.
#include "mp3/clsMP3.h"
#include "tests/fuzz/FuzzFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!writeFuzzFile(data, size))
        return 0;
    clsMP3 mp3;
    mp3.setFileName(fuzzFilePath());
    const bool ok = mp3.refresh();
    // The length comes from the file system whatever the content.
    if (mp3.FileSize() != qint64(size))
        std::abort();
    // A header reported as readable has everything the information panel shows, whatever an
    // encoder's Xing, Info or VBRI frame claims.
    if (ok && (!mp3.HeaderFound() || mp3.FrameSize() <= 0 || mp3.frames() <= 0 ||
               mp3.seconds() <= 0 || !(mp3.Duration() > 0) || mp3.AverageBitrate() < 0 ||
               mp3.VersionText().isEmpty() || mp3.LayerText().isEmpty() ||
               mp3.ChannelModeText().isEmpty() || mp3.EmphasisText().isEmpty()))
        std::abort();
    return 0;
}
