#pragma once
// The application object: the program's message loop, its forms and its title.
// There is one, reached through fw::Application(), created on first use and
// living until the program ends (or until someone deletes it: the next call then
// makes a fresh one). It owns the forms made by CreateForm; the first of them is
// the main form, and closing the main form ends Run.
// An exception that reaches the loop is shown in a message box (stop icon, OK,
// captioned with Title) and the program goes on; EAbort is silent. Every message
// box of the program goes through MessageBox, whose system call MessageBoxHook
// can replace (tests never block on a box).
#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <string>

#include "framework/Classes.h"
#include "framework/Graphics.h"

namespace fw {

class TCustomForm;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize();

    bool MainFormOnTaskBar() const { return mainFormOnTaskBar_; }
    void SetMainFormOnTaskBar(bool Value) { mainFormOnTaskBar_ = Value; }
    // The title; the program file's name without extension until one is set.
    std::wstring Title() const;
    void SetTitle(const std::wstring& Value);
    // A hidden top-level window standing for the application (made on first use).
    HWND Handle();
    // The hint of what the mouse or a menu selection rests on, for a status line.
    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& Value) { hint_ = Value; }
    // The colour hints start with (clInfoBk); a control may choose another.
    TColor HintColor() const;
    void SetHintColor(TColor Value);

    // Makes a form owned by the application: new T(this), then AfterConstruction
    // (which raises OnCreate). Reference is set before AfterConstruction, so
    // handlers can use it; the first form made becomes the main form, and its
    // window is made at once.
    template <class T>
    void CreateForm(T*& Reference);
    TCustomForm* MainForm() const { return mainForm_; }

    // Shows the main form and handles messages until Terminate or the main form
    // closes. Without a main form it returns at once.
    void Run();
    // Ends Run's loop (the current message is finished first); any thread may call it.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles one message; with none waiting, does the idle work and waits.
    void HandleMessage();
    // Handles every waiting message, then returns.
    void ProcessMessages();

    // Inside a catch block: shows the exception being handled (EAbort: nothing).
    void HandleException(TObject* Sender);
    void ShowException(const std::exception& E);

    // A message box owned by Owner, the window whose command asks (the box then
    // keeps that window from taking other commands); by the active window when
    // Owner is null. An empty Caption means Title.
    // (windows.h makes the name MessageBoxW; callers see the same spelling.)
    int MessageBox(const std::wstring& Text, const std::wstring& Caption = L"", unsigned Flags = MB_OK,
                   HWND Owner = nullptr);
    // Replaces the system's MessageBoxW for every box the program shows.
    static std::function<int(HWND Owner, const std::wstring& Text, const std::wstring& Caption, unsigned Flags)>
        MessageBoxHook;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    std::wstring ClassName() const override { return L"TApplication"; }

private:
    bool ProcessMessage(MSG& Msg);
    void Idle();
    void FormCreated(TCustomForm* Form);

    bool mainFormOnTaskBar_ = false;
    std::atomic<bool> terminated_{false};
    std::wstring title_;
    std::wstring hint_;
    HWND handle_ = nullptr;
    TCustomForm* mainForm_ = nullptr;
};

TApplication* Application();

template <class T>
void TApplication::CreateForm(T*& Reference) {
    T* form = nullptr;
    try {
        form = new T(this);
        Reference = form;
        form->AfterConstruction();
    } catch (...) {
        Reference = nullptr;
        delete form;
        throw;
    }
    FormCreated(form);
}

}  // namespace fw
