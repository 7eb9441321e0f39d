#include "sim/robot/transcript.h"

namespace robot {

Transcript::~Transcript()
{
    if (file_) std::fclose(file_);
}

bool Transcript::OpenFile(const std::string& path)
{
    if (file_) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "ab");
    return file_ != nullptr;
}

void Transcript::Line(const std::string& line)
{
    lines_.push_back(line);
    if (file_) {
        std::fwrite(line.data(), 1, line.size(), file_);
        std::fputc('\n', file_);
        std::fflush(file_);
    }
    if (echo_) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}

std::string Transcript::Joined() const
{
    std::string all;
    for (const std::string& l : lines_) all += l + "\n";
    return all;
}

}  // namespace robot
