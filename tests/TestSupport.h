#pragma once
// What many tests need: how long a wait may be before a user would notice it, the folder of the
// running test program, the exception a call raises and its message, a call on another thread, the
// message boxes the program shows, and a test with one empty form.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gui/Application.h"
#include "gui/Form.h"

namespace support {

// A wait that ends sooner than this is one no user would notice; a machine busy with other work
// can stretch a quick reaction by a second or two but never to this. Time bounds that a test
// asserts are this long, so that only a reaction that never came, or waited for its server or
// its time-out, can miss them.
constexpr int NoticeableMs = 5000;

// The longest the program may go without handling its messages while it waits: a window that
// freezes this long looks hung. The program's waits go in slices far shorter than this.
constexpr int FrozenMs = 1000;

// The folder of the running test program, with a backslash at the end; its helper programs lie
// beside it.
inline std::string ExeFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The exception of type E that Call raises; none when it raises none.
template <typename E, typename F> std::optional<E> Caught(F Call) {
    try {
        Call();
    } catch (const E& e) {
        return e;
    }
    return std::nullopt;
}

// The message of the exception of type E that Call raises; "no exception" when it raises none.
template <typename E, typename F> std::string MessageOf(F Call) {
    const std::optional<E> e = Caught<E>(std::move(Call));
    return e ? std::string(e->what()) : "no exception";
}

// Runs Call on a thread of its own and waits for it: where the program's thread checks must hold.
inline void OnAnotherThread(const std::function<void()>& Call) {
    std::thread(Call).join();
}

// A message box as the program asked for it.
struct TBox {
    std::string Text, Caption;
    UINT Flags = 0;
};

// While it lives, the program's message boxes are recorded instead of shown, each answered with
// Answer; OnBox, when set, runs as each box comes, while the program waits for its answer. Reads
// as the list of the boxes so far, oldest first.
class TBoxRecorder {
public:
    explicit TBoxRecorder(int Answer = IDOK) : Answer(Answer) {
        Application().SetMessageBoxFunction(
            [this](const std::string& Text, const std::string& Caption, UINT Flags) {
                FBoxes.push_back({Text, Caption, Flags});
                if (OnBox)
                    OnBox(FBoxes.back());
                return this->Answer;
            });
    }
    ~TBoxRecorder() { Application().SetMessageBoxFunction(nullptr); }
    TBoxRecorder(const TBoxRecorder&) = delete;
    TBoxRecorder& operator=(const TBoxRecorder&) = delete;

    size_t size() const { return FBoxes.size(); }
    bool empty() const { return FBoxes.empty(); }
    const TBox& operator[](size_t Index) const { return FBoxes.at(Index); }
    std::vector<TBox>::const_iterator begin() const { return FBoxes.begin(); }
    std::vector<TBox>::const_iterator end() const { return FBoxes.end(); }
    void clear() { FBoxes.clear(); }
    // The boxes' texts, oldest first.
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const TBox& box : FBoxes)
            out.push_back(box.Text);
        return out;
    }
    // The first box's text, or nothing when none came: for a failure message.
    std::string First() const { return FBoxes.empty() ? "" : FBoxes[0].Text; }

    int Answer;
    std::function<void(const TBox&)> OnBox;

private:
    std::vector<TBox> FBoxes;
};

// A test with one empty form of the given window class, made as the program makes its forms;
// every form goes when the test ends. A size of 0 leaves the form's own.
class FormTest : public ::testing::Test {
protected:
    explicit FormTest(std::string ClassName, int Width = 0, int Height = 0)
        : FClassName(std::move(ClassName)), FWidth(Width), FHeight(Height) {}
    void SetUp() override {
        Application().CreateForm(Form, FClassName);
        if (FWidth > 0)
            Form->SetClientSize(FWidth, FHeight);
    }
    void TearDown() override { Application().DestroyForms(); }

    TForm* Form = nullptr;

private:
    std::string FClassName;
    int FWidth;
    int FHeight;
};

} // namespace support
