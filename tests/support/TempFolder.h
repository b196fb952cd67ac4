// A fresh folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        for (;;) {
            m_path = std::filesystem::temp_directory_path() /
                     ("velmora-test-" + std::to_string(random()) + std::to_string(random()));
            if (std::filesystem::create_directory(m_path))
                break;
        }
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
    }
    ~TempFolder()
    {
        std::error_code ec;
        // Read-only entries inside are made writable again so that everything goes.
        for (auto& entry : std::filesystem::recursive_directory_iterator(m_path, ec))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path() const { return m_path.string(); }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

    // Writes a file with the given contents and returns its path.
    std::string Write(const std::string& name, const std::string& contents) const
    {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out << contents;
        return File(name);
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path m_path;
};
