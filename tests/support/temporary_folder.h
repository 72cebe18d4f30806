// A test's temporary folder, removed with everything in it at the end.
#pragma once

#include <QDir>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace torvex::test {

class TemporaryFolder {
public:
    std::filesystem::path operator/(const std::string& name) const {
        return std::filesystem::path(dir_.path().toStdString()) / name;
    }
    // Writes the bytes to a file of the folder; returns its path.
    std::filesystem::path write(const std::string& name, const std::string& bytes) const {
        std::ofstream(*this / name, std::ios::binary) << bytes;
        return *this / name;
    }
    // The names in the folder, hidden ones included, in order.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const QString& name :
             QDir(dir_.path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                            QDir::Name))
            names.push_back(name.toStdString());
        return names;
    }

private:
    QTemporaryDir dir_;
};

} // namespace torvex::test
