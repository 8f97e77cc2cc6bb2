// The pane beside the map where the plug-ins' pages dock: a caption strip
// per page (its caption and icon) and the page's control, hosted in place.
#pragma once

#include "ControlSite.h"
#include "Report.h"
#include "StandInShell.h"

#include <string>
#include <vector>

namespace kxapp {

struct DockedPage {
    ComPtr<IPanelPage> page;
    std::wstring caption;
    ComPtr<IUnknown> control;
    ControlSite *site = nullptr;   // counted: one reference held here
    HRESULT created = E_FAIL;      // of CreateControl
    HRESULT activated = E_FAIL;    // of the in-place activation
    RECT header{}, body{};         // dock window pixels
};

class PageDock {
public:
    PageDock(kxshell::StandInShell &shell, Report &report) : shell_(shell), report_(report) {}
    ~PageDock();

    HWND Create(HWND parent, ContainerFrame *frame);
    HWND Window() const { return window_; }
    // Asks every registered page for its control and docks it.
    void DockPages();
    // Width the dock wants: its widest control plus the frame.
    int PreferredWidth() const;
    void Layout();
    size_t Count() const { return pages_.size(); }
    const DockedPage &Page(size_t index) const { return pages_.at(index); }
    // The control window of the first docked page, or null.
    HWND FirstControlWindow() const;
    // UI-deactivates the controls (the map took the focus).
    void DeactivateAll();
    // Closes the controls and lets go of them and their sites; the
    // references the controls kept on the sites are reported.
    void CloseAll();

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Paint(HDC dc);

    kxshell::StandInShell &shell_;
    Report &report_;
    HWND window_ = nullptr;
    ComPtr<ContainerFrame> frame_;
    std::vector<DockedPage> pages_;
    HFONT captionFont_ = nullptr;
};

}  // namespace kxapp
