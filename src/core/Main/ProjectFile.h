// The .plp project file: an INI file (section and key names in any letter case) with
//   [COMMON]        ID=MERLO19, POUCOUNT=N
//   [POUFILENAMES]  POU0 .. POU<N-1>: the IL files, relative to the project file's folder.
// Writing updates the existing file and keeps everything else it holds.
#pragma once

#include <string>
#include <vector>

namespace korvo {

inline constexpr const char* PLP_SECTION_COMMON = "COMMON";
inline constexpr const char* PLP_SECTION_FILES = "POUFILENAMES";
inline constexpr const char* PLP_KEY_ID = "ID";
inline constexpr const char* PLP_KEY_COUNT = "POUCOUNT";
inline constexpr const char* PLP_KEY_FILE_PREFIX = "POU";
inline constexpr const char* PLP_ID_WRITTEN = "MERLO19";

// "MERLO10" and "MERLO19", compared exactly.
bool IsKnownProjectID(const std::string& id);

// The value stored for fileName in the project file projectFile: the path from the project
// file's folder, with ".." steps and '/' separators. Both paths are made absolute against the
// current directory first; folder names are compared exactly (the file system is case
// sensitive here).
std::string ProjectRelativePath(const std::string& fileName, const std::string& projectFile);

// A stored value made absolute: '\' is read as a separator too (projects written on Windows),
// a relative value is taken against the project file's folder, "." and ".." steps are removed.
std::string ResolveProjectPath(const std::string& stored, const std::string& projectFile);

struct TProjectFileData {
    std::string ID;   // empty when missing
    int POUCount = 0; // 0 when missing or not a number
    // Stored values of POU0 .. POU<POUCount-1>, empty for missing keys. Entries past the last
    // POUk key the file holds are left out, so a huge POUCOUNT costs nothing.
    std::vector<std::string> Files;
};

// False with error set when the file cannot be read.
bool ReadProjectFile(const std::string& path, TProjectFileData& data, std::string& error);

// Writes ID, POU0.. for fileNames (full paths, stored relative to path) and POUCOUNT into the
// project file, keeping the other sections and keys it holds (also POUk keys past the new
// count). Written safely: on failure the old file is untouched and error holds the reason.
// Writes the text SimpleIni formatted for a project file: one empty line between sections,
// CR LF line ends when crlf, through a temporary file and rename.
bool WriteProjectFileText(std::string text, const std::string& path, bool crlf, std::string& error);

bool WriteProjectFile(const std::string& path, const std::vector<std::string>& fileNames, std::string& error);

} // namespace korvo
