// .plp reading and writing on top of SimpleIni.
#include "Main/ProjectFile.h"

#include "Main/SafeFile.h"

// Header-only, char strings only (no wide-character conversion library).
#ifndef SI_NO_CONVERSION
#define SI_NO_CONVERSION
#endif
#ifndef SI_IMPLEMENTATION
#define SI_IMPLEMENTATION
#endif
#include <SimpleIni.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <list>
#include <utility>

namespace fs = std::filesystem;

namespace korvo {

namespace {

fs::path AbsoluteNormal(const fs::path& p) {
    std::error_code ec;
    fs::path a = fs::absolute(p, ec);
    if (ec)
        a = p;
    return a.lexically_normal();
}

// Parses a whole string as a decimal int; fallback on anything else.
int ToInt(const char* s, int fallback) {
    if (!s)
        return fallback;
    std::string_view v(s);
    int value = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
    if (ec != std::errc() || end != v.data() + v.size())
        return fallback;
    return value;
}

// k of a key "POU<k>", -1 for other keys.
long FileKeyIndex(const char* key) {
    std::string_view k(key);
    if (k.size() <= 3 || (k[0] != 'P' && k[0] != 'p') || (k[1] != 'O' && k[1] != 'o') ||
        (k[2] != 'U' && k[2] != 'u'))
        return -1;
    long value = 0;
    auto [end, ec] = std::from_chars(k.data() + 3, k.data() + k.size(), value);
    if (ec != std::errc() || end != k.data() + k.size() || value < 0)
        return -1;
    return value;
}

} // namespace

bool IsKnownProjectID(const std::string& id) {
    return id == "MERLO10" || id == "MERLO19";
}

std::string ProjectRelativePath(const std::string& fileName, const std::string& projectFile) {
    fs::path file = AbsoluteNormal(fileName);
    fs::path dir = AbsoluteNormal(projectFile).parent_path();
    fs::path rel = file.lexically_relative(dir);
    if (rel.empty())
        return file.generic_string();
    return rel.generic_string();
}

std::string ResolveProjectPath(const std::string& stored, const std::string& projectFile) {
    std::string v = stored;
    std::replace(v.begin(), v.end(), '\\', '/');
    fs::path p(v);
    if (p.is_relative())
        p = AbsoluteNormal(projectFile).parent_path() / p;
    return p.lexically_normal().string();
}

bool ReadProjectFile(const std::string& path, TProjectFileData& data, std::string& error) {
    data = {};
    std::string content;
    if (!ReadFileBytes(path, content, error))
        return false;
    CSimpleIniA ini; // case-insensitive section and key names
    if (ini.LoadData(content) < 0) {
        error = "Not an INI file";
        return false;
    }
    data.ID = ini.GetValue(PLP_SECTION_COMMON, PLP_KEY_ID, "");
    data.POUCount = ToInt(ini.GetValue(PLP_SECTION_COMMON, PLP_KEY_COUNT, nullptr), 0);

    long lastKey = -1;
    CSimpleIniA::TNamesDepend keys;
    ini.GetAllKeys(PLP_SECTION_FILES, keys);
    for (const auto& key : keys)
        lastKey = std::max(lastKey, FileKeyIndex(key.pItem));
    long n = std::min<long>(data.POUCount, lastKey + 1);
    for (long k = 0; k < n; ++k) {
        std::string key = PLP_KEY_FILE_PREFIX + std::to_string(k);
        data.Files.emplace_back(ini.GetValue(PLP_SECTION_FILES, key.c_str(), ""));
    }
    return true;
}

bool WriteProjectFile(const std::string& path, const std::vector<std::string>& fileNames,
                      std::string& error) {
    CSimpleIniA ini;
    ini.SetSpaces(false);
    bool crlf = false;
    std::error_code ec;
    if (fs::exists(path, ec)) {
        std::string content;
        if (!ReadFileBytes(path, content, error))
            return false;
        size_t nl = content.find('\n');
        crlf = nl != std::string::npos && nl > 0 && content[nl - 1] == '\r';
        if (ini.LoadData(content) < 0) {
            error = "Not an INI file";
            return false;
        }
    }
    ini.SetValue(PLP_SECTION_COMMON, PLP_KEY_ID, PLP_ID_WRITTEN);
    int k = 0;
    for (const auto& name : fileNames) {
        std::string key = PLP_KEY_FILE_PREFIX + std::to_string(k);
        std::string rel = ProjectRelativePath(name, path);
        ini.SetValue(PLP_SECTION_FILES, key.c_str(), rel.c_str());
        ++k;
    }
    ini.SetValue(PLP_SECTION_COMMON, PLP_KEY_COUNT, std::to_string(k).c_str());

    std::string out;
    if (ini.Save(out, false) < 0) {
        error = "Cannot format the project file";
        return false;
    }
    return WriteProjectFileText(std::move(out), path, crlf, error);
}

bool WriteProjectFileText(std::string text, const std::string& path, bool crlf, std::string& error) {
    // SimpleIni puts two empty lines between sections; the format has one.
    for (size_t pos; (pos = text.find("\n\n\n")) != std::string::npos;)
        text.erase(pos, 1);
    if (crlf)
        text = JoinLines(SplitTextLines(text).Lines, TLineEnd::CRLF);
    return WriteFileAtomic(path, text, error);
}

} // namespace korvo
