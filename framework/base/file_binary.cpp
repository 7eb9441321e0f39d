#include "framework/base/file_binary.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "framework/base/message.h"

PBinaryFile::PBinaryFile(bool quiet, const char* name)
{
    FILE* f = name ? fopen(name, "rb") : nullptr;
    if (!f) {
        const char* why = strerror(errno);
        if (!quiet) DoMessage("m", 8385, name ? name : "", why && *why ? why : "Unknown error");
        return;
    }
    long length = -1;
    if (fseek(f, 0, SEEK_END) == 0) length = ftell(f);
    fseek(f, 0, SEEK_SET);
    if (length < 0) {
        fclose(f);
        if (!quiet) DoMessage("m", 5280, name);
        return;
    }
    bytes_.resize(static_cast<size_t>(length) + 1);
    size_t got = fread(bytes_.data(), 1, static_cast<size_t>(length), f);
    fclose(f);
    if (got != static_cast<size_t>(length)) {
        bytes_.clear();
        bytes_.shrink_to_fit();
        if (!quiet) DoMessage("m", 5280, name);
        return;
    }
    bytes_[got] = 0;
    size_ = static_cast<uint32_t>(got);
    loaded_ = true;
}

bool ReadFileExact(bool quiet, const char* name, void* out, uint32_t count)
{
    FILE* f = name ? fopen(name, "rb") : nullptr;
    if (!f) {
        if (!quiet) DoMessageWithSystemError("m", 5230, name ? name : "");
        return false;
    }
    size_t got = out ? fread(out, 1, count, f) : 0;
    fclose(f);
    // A short read is a failure: a truncated firmware image must not be used.
    if (got != count) {
        if (!quiet) DoMessage("m", 8102, name);
        return false;
    }
    return true;
}
