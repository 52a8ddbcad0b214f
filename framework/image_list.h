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

    int width_ = 16;
    int height_ = 16;
    HIMAGELIST handle_ = nullptr;
};

}  // namespace quorvane
