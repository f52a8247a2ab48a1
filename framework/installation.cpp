#include "framework/installation.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace tavlo {

const char* programVersion()
{
    return TAVLO_VERSION;
}

std::string programFolder()
{
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : program.parent_path().string();
}

std::string dataFile(const std::string& name)
{
    std::error_code ec;
    const fs::path folder = programFolder();
    const fs::path installed = (folder / ".." / "share" / "tavlo" / name).lexically_normal();
    for (const fs::path& candidate : {folder / name, installed})
        if (!folder.empty() && fs::is_regular_file(candidate, ec))
            return candidate.string();
#ifdef TAVLO_BUILD_DIR
    // Only a program of the build tree: an installed one must not reach back into a build.
    const fs::path build = fs::path(TAVLO_BUILD_DIR).lexically_normal();
    const bool inBuild =
        std::mismatch(build.begin(), build.end(), folder.begin(), folder.end()).first ==
        build.end();
    const fs::path mirrored = build / "share" / "tavlo" / name;
    if (inBuild && fs::is_regular_file(mirrored, ec))
        return mirrored.string();
#endif
    return installed.string();
}

} // namespace tavlo
