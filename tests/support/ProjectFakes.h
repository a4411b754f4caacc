// Scripted stand-ins for the IDE side of the project operations: prompts that answer from a
// script and record a transcript, an editor view that behaves like the real tab strip, a
// fake standard library, and a scratch folder.
#pragma once

#include "Main/ProjectInterfaces.h"
#include "Main/ProjectManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace korvo::testkit {

// A fresh folder under the system temp folder, removed afterwards.
class ScratchDir {
public:
    ScratchDir() {
        std::random_device rd;
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("korvo-test-" + std::to_string(rd()));
            if (std::filesystem::create_directory(path_))
                break;
        }
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string str() const { return path_.string(); }
    std::string operator/(const std::string& rel) const { return (path_ / rel).string(); }

    // Writes bytes exactly as given, creating parent folders.
    std::string Write(const std::string& rel, const std::string& content) const {
        auto p = path_ / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary);
        out << content;
        return p.string();
    }

private:
    std::filesystem::path path_;
};

// While alive, writes past n bytes of any file fail with EFBIG, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t n) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit l{n, old_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
};

// Names in a folder, sorted.
inline std::vector<std::string> DirEntries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Prompts answering from a script. Every call is appended to Transcript:
//   "message: <text>", "ask: <question> -> Yes|No|Cancel",
//   "dialog: <title> [<initial name>] -> <chosen>|cancel".
class FakePrompts : public IProjectPrompts {
public:
    std::deque<TSaveAnswer> Answers;                // an unscripted question fails the test
    std::deque<std::optional<std::string>> Choices; // an unscripted dialog fails the test
    std::vector<std::string> Transcript;

    void ShowMessage(const std::string& text) override { Transcript.push_back("message: " + text); }

    TSaveAnswer AskSave(const std::string& question) override {
        TSaveAnswer a = TSaveAnswer::Cancel;
        if (Answers.empty())
            ADD_FAILURE() << "unexpected question: " << question;
        else {
            a = Answers.front();
            Answers.pop_front();
        }
        static const char* names[] = {"Yes", "No", "Cancel"};
        Transcript.push_back("ask: " + question + " -> " + names[int(a)]);
        return a;
    }

    std::optional<std::string> ChooseFile(const TFileDialogDesc& dialog,
                                          const std::string& initialName) override {
        std::optional<std::string> c;
        if (Choices.empty())
            ADD_FAILURE() << "unexpected dialog: " << dialog.Title;
        else {
            c = Choices.front();
            Choices.pop_front();
        }
        Transcript.push_back(std::string("dialog: ") + dialog.Title + " [" + initialName + "] -> " +
                             (c ? *c : "cancel"));
        return c;
    }

    // Messages only, in order.
    std::vector<std::string> Messages() const {
        std::vector<std::string> m;
        for (const auto& t : Transcript)
            if (t.rfind("message: ", 0) == 0)
                m.push_back(t.substr(9));
        return m;
    }
};

// Tab strip and editor as the IDE's editor view keeps them: one tab per POU without
// Compiled, the current tab's text in the editor, leave and enter steps on every selection.
class FakeEditorView : public IEditorView {
public:
    explicit FakeEditorView(TProjectDesc& project) : project_(project) {}

    std::vector<int> Tabs; // POU index per tab
    int Current = -1;
    std::vector<std::string> Text;
    bool Modified = false;
    int UpdateCount = 0;

    void ClearView() override {
        Select(-1);
        Tabs.clear();
    }
    void UpdateView() override {
        ClearView();
        ++UpdateCount;
        for (size_t i = 0; i < project_.POUList.size(); ++i)
            if (!project_.POUList[i]->Compiled)
                Tabs.push_back(int(i));
    }
    void ShowFile(int FileNo) override {
        if (FileNo < 0)
            Select(-1);
        else if (FileNo < int(Tabs.size()))
            Select(FileNo);
    }
    int CurrentTab() const override { return Current; }
    int TabCount() const override { return int(Tabs.size()); }
    std::vector<std::string> EditorLines() const override { return Text; }
    bool EditorModified() const override { return Modified; }
    void ClearEditorModified() override { Modified = false; }

    // The user types: the editor text is replaced and marked modified.
    void Type(std::vector<std::string> lines) {
        Text = std::move(lines);
        Modified = true;
    }

    // Tab captions: the name part of each tab's file name.
    std::vector<std::string> Captions() const {
        std::vector<std::string> c;
        for (int i : Tabs)
            c.push_back(std::filesystem::path(project_.POUList[size_t(i)]->FileName).filename().string());
        return c;
    }

private:
    void Select(int tab) {
        if (Current >= 0 && Current < int(Tabs.size())) {
            int pou = Tabs[size_t(Current)];
            if (Modified) {
                if (pou < 0 || pou >= int(project_.POUList.size()))
                    ADD_FAILURE() << "leave step writes into POU " << pou << " which no longer exists";
                else {
                    project_.POUList[size_t(pou)]->POUText = Text;
                    project_.POUList[size_t(pou)]->Modified = true;
                }
                Modified = false;
            }
            Text.clear();
        }
        Current = tab;
        if (Current >= 0) {
            Text = project_.POUList[size_t(Tabs[size_t(Current)])]->POUText;
            Modified = false;
        }
    }

    TProjectDesc& project_;
};

// A library of n compiled function blocks, as the standard library loader leaves it.
inline std::function<void(TProjectDesc&)> FakeLibrary(int n) {
    return [n](TProjectDesc& p) {
        for (int i = 0; i < n; ++i) {
            auto pou = std::make_unique<TPOUDesc>();
            pou->POUName = "FB" + std::to_string(i);
            pou->POUType = PTFUNCTION_BLOCK;
            pou->Compiled = true;
            p.POUList.push_back(std::move(pou));
        }
    };
}

// First word of the first non-empty line: PROGRAM / FUNCTION_BLOCK / FUNCTION and the name.
inline TPOUType FakePOUType(const std::vector<std::string>& text) {
    for (const auto& l : text) {
        std::istringstream s(l);
        std::string w;
        if (!(s >> w))
            continue;
        w = UpperCase(w);
        if (w == "PROGRAM")
            return PTPROGRAM;
        if (w == "FUNCTION_BLOCK")
            return PTFUNCTION_BLOCK;
        if (w == "FUNCTION")
            return PTFUNCTION;
        return PTUNKNOWN;
    }
    return PTUNKNOWN;
}

inline std::string FakePOUName(const std::vector<std::string>& text) {
    for (const auto& l : text) {
        std::istringstream s(l);
        std::string w, name;
        if (!(s >> w))
            continue;
        s >> name;
        return name;
    }
    return {};
}

// A manager wired to the fakes, with a library of libSize POUs.
struct ProjectRig {
    explicit ProjectRig(int libSize = 11) : Manager(Prompts, Services(libSize)), View(Manager.Project()) {
        Manager.SetEditorView(&View);
    }

    TProjectServices Services(int libSize) {
        TProjectServices s;
        s.LoadStdFBs = FakeLibrary(libSize);
        s.GetPOUName = FakePOUName;
        s.GetPOUType = FakePOUType;
        s.ResetSoftPLC = [this] { ++Resets; };
        s.SetTitle = [this](const std::string& t) { Title = t; };
        return s;
    }

    FakePrompts Prompts;
    int Resets = 0;
    std::string Title;
    ProjectManager Manager;
    FakeEditorView View;

    TProjectDesc& Project() { return Manager.Project(); }
    TPOUDesc& File(int tab) { return *Manager.FilePOU(tab); }
};

} // namespace korvo::testkit
