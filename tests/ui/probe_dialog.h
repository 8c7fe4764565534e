// A dialog over any template that records what the framework hands to its handlers and
// lets a test plug in the data exchange and initialisation.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "platform/ui/dialog.h"

namespace verrow::test {

class ProbeDialog : public ui::Dialog {
public:
    explicit ProbeDialog(int templateId, HWND parent = nullptr) : Dialog(templateId, parent) {}

    std::function<void(ui::DataExchange&)> exchange;
    std::function<void()> onInit;             // after the framework's initialisation
    std::function<bool(MSG&)> preTranslate;   // true: consumed
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> onMessage;  // true: handled
    bool handlePaint = false;
    bool consumeSysCommand = false;
    HICON dragIcon = nullptr;
    LRESULT notifyResult = 0;

    std::vector<std::pair<int, int>> commands;  // id, notification code
    std::vector<std::pair<int, UINT>> notifications;
    std::vector<UINT_PTR> timers;
    std::vector<UINT> sysCommands;
    int oks = 0, cancels = 0, paints = 0, destroys = 0;
    bool windowExistedAtDestroy = false;

    bool PreTranslateMessage(MSG& message) override {
        if (preTranslate && preTranslate(message)) return true;
        return Dialog::PreTranslateMessage(message);
    }

protected:
    bool OnInitDialog() override {
        bool result = Dialog::OnInitDialog();
        if (onInit) onInit();
        return result;
    }
    void DoDataExchange(ui::DataExchange& dx) override {
        if (exchange) exchange(dx);
    }
    void OnOK() override {
        ++oks;
        Dialog::OnOK();
    }
    void OnCancel() override {
        ++cancels;
        Dialog::OnCancel();
    }
    bool OnCommand(int id, int code, HWND) override {
        commands.emplace_back(id, code);
        return false;
    }
    bool OnNotify(int id, NMHDR& header, LRESULT& result) override {
        notifications.emplace_back(id, header.code);
        result = notifyResult;
        return true;
    }
    void OnTimer(UINT_PTR id) override { timers.push_back(id); }
    bool OnPaint() override {
        ++paints;
        return handlePaint ? (ValidateRect(Handle(), nullptr), true) : false;
    }
    void OnDestroy() override {
        ++destroys;
        windowExistedAtDestroy = IsWindow(Handle()) != FALSE;
    }
    bool OnSysCommand(UINT command, LPARAM) override {
        sysCommands.push_back(command);
        return consumeSysCommand;
    }
    HICON OnQueryDragIcon() override { return dragIcon; }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        return onMessage && onMessage(message, wParam, lParam, result);
    }
};

}  // namespace verrow::test
