// The robot's record of what it did and saw: one line per step, kept in
// memory and, when a file is given, appended to it as it happens (a run that
// is killed still leaves its lines). Texts are code-page-1251 bytes.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace robot {

class Transcript {
public:
    Transcript() = default;
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    bool OpenFile(const std::string& path);
    // Also echoes each line to stdout (robot.exe).
    void EchoToStdout(bool on) { echo_ = on; }
    void Line(const std::string& line);
    const std::vector<std::string>& Lines() const { return lines_; }
    std::string Joined() const;

private:
    std::vector<std::string> lines_;
    std::FILE* file_ = nullptr;
    bool echo_ = false;
};

}  // namespace robot
