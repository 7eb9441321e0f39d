// A fresh folder under the temporary folder, removed with its tree at the
// end of the test, and small helpers to fill it.
#pragma once

#include <string>

class TempTree {
public:
    TempTree();
    ~TempTree();
    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }
    void MakeDir(const std::string& relative) const;
    void Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

private:
    std::string root_;
};

// The whole file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
