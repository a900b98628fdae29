// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velnet::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
class TempDir
{
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
// A fixture file under tests/fixtures.
std::string fixturePath(const std::string& relative);

} // namespace velnet::test
