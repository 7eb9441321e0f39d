// The window object: one Win32 window (created here, or a template control
// attached by id) with its message handlers as virtual functions.
//
// An attached window is subclassed: its window procedure is replaced and the
// object is found again through a window property. Children are owned: a
// window deletes its children last to first, and a deleted child unlinks
// itself from its parent and gives the window its old procedure back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class TransferDirection { GetData, SetData };

class Window {
public:
    struct Attributes {
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        int x = 0, y = 0, w = 0, h = 0;
        int id = 0;
    };

    // Joins `parent`'s child list (when given); id 0 for a window that is not
    // a control of a dialog.
    explicit Window(Window* parent, int id = 0);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND GetHandle() const { return hwnd_; }
    operator HWND() const { return hwnd_; }
    Window* Parent() const { return parent_; }
    int GetId() const { return Attr.id; }
    const std::vector<Window*>& Children() const { return children_; }
    Window* ChildWithId(int id) const;
    void ForEachChild(const std::function<void(Window&)>& action) const;

    // The object of a window of this layer, or null.
    static Window* FromHandle(HWND hwnd);

    // Finds the control `Attr.id` in the parent's window and subclasses it.
    // A missing control leaves the object unattached (false).
    bool AttachById();
    bool Attach(HWND hwnd);
    // Creates the window from Attr with the class ClassName(); false on failure.
    bool Create();
    // Gives a subclassed window its own procedure back (the window stays).
    void Detach();

    virtual const char* ClassName() const { return "STATIC"; }
    // Right after the window exists (attached or created).
    virtual void SetupWindow() {}
    // While the window is being destroyed.
    virtual void CleanupWindow() {}
    // Told, while this window is the program's main window object, that a
    // dialog of the program was made top-most (so the main window can keep
    // itself in step). The default does nothing.
    virtual void OnTopMostDialog(HWND dialog) { (void)dialog; }

    // Data exchange with a transfer record; `EnableTransfer` marks a control
    // that takes part in its dialog's transfer.
    void EnableTransfer() { transferEnabled_ = true; }
    bool TransferEnabled() const { return transferEnabled_; }
    virtual uint32_t Transfer(void*, TransferDirection) { return 0; }

    // Window helpers.
    uint32_t GetStyle() const;
    void ModifyStyle(uint32_t remove, uint32_t add, bool frameChanged = false);
    void ModifyExStyle(uint32_t remove, uint32_t add, bool frameChanged = false);
    RECT GetWindowRect() const;
    RECT GetClientRect() const;
    // The window rectangle in the parent's client coordinates.
    RECT GetRectInParent() const;
    bool SetWindowPos(HWND after, int x, int y, int w, int h, UINT flags);
    void ShowWindow(int command);
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    bool IsWindowVisible() const;
    void Invalidate(bool erase = true);
    void SetFocus();
    LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const;
    bool PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const;
    std::string GetWindowText() const;
    void SetWindowText(const char* text);
    std::string GetClassName() const;
    HFONT GetFont() const;
    void SetFont(HFONT font, bool redraw = true);
    RECT MapDialogRect(RECT r) const;
    void SetCapture() const { if (hwnd_) ::SetCapture(hwnd_); }
    static void ReleaseCapture() { ::ReleaseCapture(); }
    bool HasCapture() const { return hwnd_ && ::GetCapture() == hwnd_; }
    HMENU GetSystemMenu() const { return hwnd_ ? ::GetSystemMenu(hwnd_, FALSE) : nullptr; }

    // The window procedure of this object; the default routes to the
    // handlers below, which all end in DefaultProcessing.
    virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l);
    // The original processing of the message being handled.
    virtual LRESULT DefaultProcessing();

    // Handlers (Win32 names). Each returns what the window procedure returns.
    virtual LRESULT EvCommand(UINT id, HWND control, UINT code);
    virtual LRESULT EvNotify(UINT id, NMHDR& header);
    // A notification this control sent to its parent, relayed back to it
    // first (framework/window/notify_relay.h); true when it handled it.
    virtual bool EvNotifyFromParent(NMHDR&, LRESULT&) { return false; }
    virtual void EvSize(UINT type, int width, int height);
    virtual void EvPaint();
    virtual bool EvEraseBkgnd(HDC dc);
    virtual void EvSysCommand(UINT command, POINT point);
    virtual bool EvHelp(HELPINFO& info);
    virtual void EvGetMinMaxInfo(MINMAXINFO& info);
    // The brush to paint the control with, or null for the default.
    virtual HBRUSH EvCtlColor(HDC dc, HWND control, UINT type);
    virtual void EvMeasureItem(UINT id, MEASUREITEMSTRUCT& item);
    virtual void EvDrawItem(UINT id, DRAWITEMSTRUCT& item);
    virtual void EvTimer(UINT id);
    virtual void EvSetFocus(HWND lost);
    virtual void EvKillFocus(HWND gets);
    virtual void EvParentNotify(UINT event, WPARAM w, LPARAM l);
    virtual void EvContextMenu(HWND window, POINT point);
    virtual void EvKeyDown(UINT key, LPARAM flags);
    virtual void EvChar(UINT key, LPARAM flags);
    virtual void EvLButtonDblClk(UINT modifiers, POINT point);
    virtual void EvLButtonDown(UINT modifiers, POINT point);
    virtual void EvLButtonUp(UINT modifiers, POINT point);
    virtual void EvRButtonDown(UINT modifiers, POINT point);
    virtual void EvMouseMove(UINT modifiers, POINT point);
    virtual void EvMouseLeave();
    virtual bool EvMouseWheel(UINT modifiers, int delta, POINT point);
    virtual void EvKeyUp(UINT key, LPARAM flags);
    virtual void EvHScroll(UINT code, UINT position, HWND scrollBar);
    // True when the handler set the cursor itself.
    virtual bool EvSetCursor(HWND window, UINT hitTest, UINT mouseMessage);

    // Attributes for Create(); Attr.id is the control id.
    Attributes Attr;
    std::string Title;

protected:
    // The message being handled (for DefaultProcessing).
    struct CurrentMessage {
        UINT msg;
        WPARAM w;
        LPARAM l;
    };
    const CurrentMessage* Current() const { return current_; }
    // Binds the object to a window without subclassing (dialogs).
    void BindHandle(HWND hwnd);
    void UnbindHandle();
    // Calls WindowProc with `current_` set to this message.
    LRESULT Dispatch(UINT msg, WPARAM w, LPARAM l);
    // Child objects that belong to template controls attach here.
    void AttachChildren();

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
    void RemoveChild(Window* child);

    HWND hwnd_ = nullptr;
    Window* parent_;
    std::vector<Window*> children_;
    WNDPROC oldProc_ = nullptr;
    const CurrentMessage* current_ = nullptr;
    bool created_ = false;  // Create() made it: the object destroys it
    bool transferEnabled_ = false;
};
