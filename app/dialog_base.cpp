#include "dialog_base.h"

INT_PTR DialogBase::runModal(HINSTANCE instance) {
    ended_ = false;
    hwnd_ = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId_), nullptr, dialogProc,
                               reinterpret_cast<LPARAM>(this));
    if (hwnd_ == nullptr) return -1;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);

    MSG msg;
    while (!ended_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        bool consumed = false;
        try {
            consumed = preTranslateMessage(msg);
        } catch (...) {
            consumed = false;
        }
        if (consumed) continue;
        if (!IsDialogMessageA(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    return endCode_;
}

void DialogBase::endDialog(INT_PTR code) {
    endCode_ = code;
    ended_ = true;
    // Wakes the loop even when no other message is waiting.
    if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_NULL, 0, 0);
}

INT_PTR CALLBACK DialogBase::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBase* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (self == nullptr) return FALSE;
    // Nothing thrown below may cross into the system's dispatcher.
    try {
        return self->dispatch(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR DialogBase::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return onInitDialog();
    INT_PTR result = FALSE;
    if (onMessage(message, wParam, lParam, result)) return result;
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == IDOK) {
            onOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            onCancel();
            return TRUE;
        }
    }
    return FALSE;
}
