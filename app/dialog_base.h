// A modal dialog run from a template with a message loop of our own, so every
// message the thread dispatches passes preTranslateMessage first (the hook the
// keyboard handling needs), then the dialog manager's keyboard navigation.
#pragma once

#include <windows.h>

class DialogBase {
public:
    explicit DialogBase(int templateId) : templateId_(templateId) {}
    virtual ~DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // Creates the dialog, runs it until endDialog and destroys it; returns the end code.
    INT_PTR runModal(HINSTANCE instance);
    void endDialog(INT_PTR code);
    HWND hwnd() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

protected:
    virtual BOOL onInitDialog() { return TRUE; }
    // Returns true when the message was handled; `result` is the dialog procedure's answer.
    virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;
    // True consumes the message before the dialog manager sees it.
    virtual bool preTranslateMessage(MSG& msg) = 0;
    // The framework's standard reactions to OK and Cancel.
    virtual void onOK() { endDialog(IDOK); }
    virtual void onCancel() { endDialog(IDCANCEL); }

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
    bool ended_ = false;
    INT_PTR endCode_ = 0;
};
