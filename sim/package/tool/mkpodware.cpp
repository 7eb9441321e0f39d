// mkpodware: writes a board firmware image in the maker's binary form (tag,
// header, signature, scrambled record headers) for the test package's
// PodWare folder. Built with the build machine's own compiler.
//
//   mkpodware OUT SIGNATURE
//
// One record of 64 bytes at flash address 0x08000000. An image whose
// signature equals the board's counts as current, so the driver's check
// finds it and leaves the board as it is.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ccsdriver/firmware_file.h"

namespace {

void PutLe32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkpodware OUT SIGNATURE\n");
        return 2;
    }
    char* end = nullptr;
    const unsigned long signature = std::strtoul(argv[2], &end, 0);
    if (!end || *end) return 2;
    constexpr uint32_t kHeaderSize = 36, kLength = 64, kAddress = 0x08000000;
    std::string image(kFirmwareMakerTag, sizeof kFirmwareMakerTag);
    image.resize(8, '\0');
    PutLe32(image, kHeaderSize);
    PutLe32(image, static_cast<uint32_t>(signature));
    image.resize(kHeaderSize, '\0');
    PutLe32(image, kImageRecordDataOffset);
    PutLe32(image, kLength ^ kImageLengthKey);
    PutLe32(image, kAddress ^ kImageAddressKey);
    for (uint32_t i = 0; i < ((kLength + 7) & ~7u) + kImageRecordTail; ++i) image.push_back(static_cast<char>(i));
    // Read back by the driver's own image reader before it is written.
    const std::vector<uint8_t> bytes(image.begin(), image.end());
    uint32_t headerSize = 0;
    std::vector<ImageRecord> records;
    if (!ParseFirmwareImage(bytes, headerSize, records) || records.size() != 1) {
        std::fprintf(stderr, "mkpodware: the image does not read back\n");
        return 1;
    }
    FILE* f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    const bool ok = std::fwrite(image.data(), 1, image.size(), f) == image.size();
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
