// A list of equal-size images with a mask, over the platform image list.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/component.h"
#include "framework/graphics.h"

namespace quorvane {

class TImageList : public TComponent {
    QUORVANE_CLASS(TImageList)
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size empties the list.
    void SetWidth(int width);
    void SetHeight(int height);
    int Count() const;

    // The list, created on first use.
    HIMAGELIST Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Wraps an existing platform list; its image size becomes Width and
    // Height. With `share` the list stays its creator's: this object never
    // destroys it. Without, this object owns it from now on. The list held
    // before is let go by the same rule.
    void SetHandle(HIMAGELIST handle, bool share);
    // True while the handle belongs to someone else.
    bool ShareImages() const { return shareImages_; }
    void SetShareImages(bool value) { shareImages_ = value; }

    // Adds a picture (copied) whose pixels of `maskColor` are transparent;
    // a picture wider than Width adds several images. Returns the first
    // index, -1 on failure.
    int AddMasked(HBITMAP picture, TColor maskColor);
    int Add(HBITMAP picture, HBITMAP mask);
    int AddIcon(HICON icon);
    void Delete(int index);
    void Clear();

    // Draws image `index` with its mask; disabled draws it greyed.
    void Draw(HDC dc, int x, int y, int index, bool enabled = true);

    TNotifyEvent OnChange;

private:
    void Changed();
    void Recreate();
    void ReleaseHandle();

    int width_ = 16;
    int height_ = 16;
    HIMAGELIST handle_ = nullptr;
    bool shareImages_ = false;
};

}  // namespace quorvane
