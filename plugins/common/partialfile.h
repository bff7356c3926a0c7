#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// A file written as TARGET.partial and renamed over TARGET by Commit. Until then the
// target is untouched; a failed write, Discard or the destructor (the plug-in unloaded
// without EndExport) removes the partial file.
class TPartialFile
{
public:
    TPartialFile() = default;
    TPartialFile(const TPartialFile &) = delete;
    TPartialFile &operator=(const TPartialFile &) = delete;
    ~TPartialFile() { Discard(); }

    // Drops any earlier unfinished file and starts TARGET.partial; false when it cannot
    // be created.
    bool Open(const std::string &target);
    // False once any write failed (disk full, I/O error); the file is removed then.
    bool Write(std::string_view bytes);
    // Flushes and renames over the target; false (and nothing left behind) on failure.
    bool Commit();
    void Discard();
    bool IsOpen() const { return m_file != nullptr; }
    const std::string &Target() const { return m_target; }

private:
    std::FILE *m_file = nullptr;
    std::string m_target;
    std::string m_partial;
};
