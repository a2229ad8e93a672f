#pragma once
// What many tests need: how long a wait may be before a user would notice it, the folder of the
// running test program, the message of an exception a call raises, and a test with one empty form.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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

// The message of the exception of type E that Call raises; "no exception" when it raises none.
template <typename E, typename F> std::string MessageOf(F Call) {
    try {
        Call();
    } catch (const E& e) {
        return e.Message();
    }
    return "no exception";
}

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
