// Tab controls over the platform's SysTabControl32: a tab control whose
// tabs are a list of texts and whose children sit in its display area, and
// a page control whose tabs are its tab sheets, one shown at a time.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/image_list.h"
#include "framework/strings.h"

namespace quorvane {

enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };

using TTabChangingEvent = std::function<void(TObject* sender, bool& allowChange)>;

class TCustomTabControl : public TWinControl {
    QUORVANE_CLASS(TCustomTabControl)
public:
    explicit TCustomTabControl(TComponent* owner);

    TTabStyle Style() const { return style_; }
    void SetStyle(TTabStyle style);
    TTabPosition TabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition position);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool value);
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);

    // The selected tab, -1 when none.
    int TabIndex() const;
    // Selects without the change events (as the platform does for a program).
    void SetTabIndex(int index);
    // The tab under a client point, -1 when none.
    int IndexOfTabAt(int x, int y);
    // Rectangle of a tab in client coordinates (empty without a window).
    RECT TabRect(int index);
    // The area inside the tabs where pages and children go.
    RECT DisplayRect();
    void AdjustClientRect(RECT& rect) override;

    void WndProc(TMessage& message) override;

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

protected:
    struct TabEntry {
        std::string text;
        int imageIndex = -1;
    };
    // The tabs to show, in order.
    virtual std::vector<TabEntry> TabEntries() const = 0;
    // Puts the current tabs into the window and lays out the display area.
    void UpdateTabs();
    // The user chose another tab: CanChange may refuse, Change follows.
    virtual bool CanChange();
    virtual void Change();

    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void DestroyWnd() override;
    void Notification(TComponent* component, TOperation operation) override;

    int storedTabIndex_ = -1;

private:
    TTabStyle style_ = tsTabs;
    TTabPosition tabPosition_ = tpTop;
    bool multiLine_ = false;
    bool hotTrack_ = false;
    TImageList* images_ = nullptr;
};

// Tabs given as texts; selecting one changes TabIndex and runs OnChange,
// the children stay as they are (the program shows what the tab means).
class TTabControl : public TCustomTabControl {
    QUORVANE_CLASS(TTabControl)
public:
    explicit TTabControl(TComponent* owner);
    ~TTabControl() override;
    TStringList* Tabs() const { return tabs_.get(); }

protected:
    std::vector<TabEntry> TabEntries() const override;

private:
    std::unique_ptr<TStringList> tabs_;
};

class TPageControl;

// A page of a page control: a container shown while its tab is selected.
class TTabSheet : public TCustomControl {
    QUORVANE_CLASS(TTabSheet)
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return pageControl_; }
    // Puts the sheet on a page control (as its last page) or takes it off.
    void SetPageControl(TPageControl* control);
    void SetParent(TWinControl* parent) override;
    // Position among the page control's pages.
    int PageIndex() const;
    void SetPageIndex(int index);
    // Position among the tabs shown, -1 while the tab is hidden.
    int TabIndex() const;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);

protected:
    void TextChanged() override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
    int imageIndex_ = -1;
};

// Tab sheets as pages: the tab of each sheet whose TabVisible is set, the
// active page shown in the display area. A click on a tab or Ctrl+Tab
// (Ctrl+Shift+Tab backwards) while the focus is inside turns the page.
class TPageControl : public TCustomTabControl {
    QUORVANE_CLASS(TPageControl)
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    // The page after (or before) `current` whose tab is shown, wrapping;
    // null when there is none.
    TTabSheet* FindNextPage(TTabSheet* current, bool forward) const;
    // Turns to the next page as the user would: OnChanging may refuse,
    // OnChange follows.
    void SelectNextPage(bool forward);

    void WndProc(TMessage& message) override;

protected:
    std::vector<TabEntry> TabEntries() const override;
    void Change() override;
    void InitializeWindow() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void MovePage(TTabSheet* page, int index);
    void PageChanged(TTabSheet* page);
    void ShowPage(TTabSheet* page);
    TTabSheet* PageOfTab(int tabIndex) const;

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
};

}  // namespace quorvane
