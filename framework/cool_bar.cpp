#include "framework/cool_bar.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/com_controls.h"
#include "framework/message_box.h"

namespace quorvane {

// ---- TCoolBand ------------------------------------------------------------------

const TClassInfo& TCoolBand::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TCoolBand>("TCoolBand", &TCollectionItem::StaticClass(), [](PropRegistrar<TCoolBand>& p) {
            p.Object<TWinControl>("Control", &TCoolBand::Control, &TCoolBand::SetControl);
            p.AnsiText("Text", &TCoolBand::Text, &TCoolBand::SetText);
            p.Integer("Width", &TCoolBand::Width, &TCoolBand::SetWidth);
            p.Integer("MinWidth", &TCoolBand::MinWidth, &TCoolBand::SetMinWidth);
            p.Integer("MinHeight", &TCoolBand::MinHeight, &TCoolBand::SetMinHeight);
            p.Boolean("Break", &TCoolBand::Break, &TCoolBand::SetBreak);
            p.Boolean("FixedSize", &TCoolBand::FixedSize, &TCoolBand::SetFixedSize);
            p.Boolean("Visible", &TCoolBand::Visible, &TCoolBand::SetVisible);
            p.Integer("Color", &TCoolBand::Color, &TCoolBand::SetColor);
            p.Integer("ImageIndex", &TCoolBand::ImageIndex, &TCoolBand::SetImageIndex);
        });
    return info;
}

void TCoolBand::SetControl(TWinControl* control)
{
    if (control == control_) return;
    control_ = control;
    if (control && coolBar_) {
        control->FreeNotification(coolBar_);
        if (control->Parent() != coolBar_) control->SetParent(coolBar_);
    }
    Changed();
}

void TCoolBand::SetText(const std::string& text)
{
    if (text == text_) return;
    text_ = text;
    Changed();
}

int TCoolBand::Width() const
{
    if (coolBar_ && coolBar_->HandleAllocated()) {
        REBARBANDINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = RBBIM_SIZE;
        // The user may have moved the band: find it by its identifier.
        HWND window = coolBar_->WindowHandle();
        const LRESULT at = SendMessageW(window, RB_IDTOINDEX, static_cast<WPARAM>(Index()), 0);
        if (at >= 0 && SendMessageW(window, RB_GETBANDINFOW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&info)))
            return static_cast<int>(info.cx);
    }
    return width_;
}

void TCoolBand::SetWidth(int width)
{
    width_ = std::max(width, 0);
    Changed();
}

void TCoolBand::SetMinWidth(int value)
{
    minWidth_ = std::max(value, 0);
    Changed();
}

void TCoolBand::SetMinHeight(int value)
{
    minHeight_ = std::max(value, 0);
    Changed();
}

void TCoolBand::SetBreak(bool value)
{
    if (value == break_) return;
    break_ = value;
    Changed();
}

void TCoolBand::SetFixedSize(bool value)
{
    if (value == fixedSize_) return;
    fixedSize_ = value;
    Changed();
}

void TCoolBand::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    Changed();
}

void TCoolBand::SetColor(TColor color)
{
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TCoolBar::SystemColoursChanged()
{
    PutBands();
    TWinControl::SystemColoursChanged();
}

void TCoolBand::SetImageIndex(int index)
{
    if (index == imageIndex_) return;
    imageIndex_ = index;
    Changed();
}

// ---- TCoolBar ---------------------------------------------------------------------

const TClassInfo& TCoolBar::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TCoolBar>("TCoolBar", &TWinControl::StaticClass(), [](PropRegistrar<TCoolBar>& p) {
            p.Object<TCollection>("Bands", &TCoolBar::Bands, nullptr);
            p.Object<TImageList>("Images", &TCoolBar::Images, &TCoolBar::SetImages);
            p.Boolean("AutoSize", &TCoolBar::AutoSize, &TCoolBar::SetAutoSize);
            p.Boolean("FixedOrder", &TCoolBar::FixedOrder, &TCoolBar::SetFixedOrder);
        });
    return info;
}

TCoolBar::TCoolBar(TComponent* owner)
    : TWinControl(owner), bands_(std::make_unique<TCoolBands>([this](TCollectionItem*) { BandsChanged(); }))
{
    StoreBounds(0, 0, 150, 30);
    SetAlign(alTop);
}

TCoolBar::~TCoolBar()
{
    BeforeDestruction();
    DestroyHandle();
    bands_.reset();
}

void TCoolBar::CreateParams(TCreateParams& params)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_COOL_CLASSES};
    InitCommonControlsEx(&init);
    TWinControl::CreateParams(params);
    params.wrappedClass = u"ReBarWindow32";
    params.style |= WS_CLIPCHILDREN | RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE;
    if (fixedOrder_) params.style |= RBS_FIXEDORDER;
}

void TCoolBar::InitializeWindow()
{
    // A themed rebar paints every band with the theme's picture and ignores
    // the band's colour; the bands keep the colours they are given.
    using SetWindowThemeProc = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const auto setWindowTheme = [] {
        HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll");
        return uxtheme ? reinterpret_cast<SetWindowThemeProc>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme"))) : nullptr;
    }();
    if (setWindowTheme) setWindowTheme(Handle(), L" ", L" ");
    if (images_) {
        REBARINFO info{};
        info.cbSize = sizeof info;
        info.fMask = RBIM_IMAGELIST;
        info.himl = images_->Handle();
        SendMessageW(Handle(), RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
    }
    PutBands();
}

void TCoolBar::DestroyWnd()
{
    // Keep the widths the user gave the bands.
    if (HandleAllocated() && bands_)
        for (int i = 0; i < bands_->Count(); ++i) bands_->At(i)->width_ = bands_->At(i)->Width();
    TWinControl::DestroyWnd();
}

void TCoolBar::BandsChanged()
{
    if (!bands_) return;
    for (int i = 0; i < bands_->Count(); ++i) {
        TCoolBand* band = bands_->At(i);
        band->coolBar_ = this;
        if (band->control_ && band->control_->Parent() != this) {
            band->control_->FreeNotification(this);
            band->control_->SetParent(this);
        }
    }
    PutBands();
}

void TCoolBar::PutBands()
{
    if (!HandleAllocated() || IsDestroying() || putting_ || !bands_) return;
    putting_ = true;
    HWND window = Handle();
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    while (SendMessageW(window, RB_GETBANDCOUNT, 0, 0) > 0) SendMessageW(window, RB_DELETEBAND, 0, 0);
    for (int i = 0; i < bands_->Count(); ++i) {
        TCoolBand* band = bands_->At(i);
        std::u16string text = Utf8ToUtf16(band->text_);
        REBARBANDINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = RBBIM_STYLE | RBBIM_TEXT | RBBIM_SIZE | RBBIM_CHILDSIZE | RBBIM_COLORS | RBBIM_CHILD | RBBIM_ID |
                     RBBIM_LPARAM | RBBIM_IMAGE;
        info.fStyle = RBBS_CHILDEDGE | (band->break_ ? RBBS_BREAK : 0) | (band->fixedSize_ ? RBBS_FIXEDSIZE : 0) |
                      (band->visible_ ? 0 : RBBS_HIDDEN);
        info.lpText = reinterpret_cast<WCHAR*>(text.data());
        info.cx = static_cast<UINT>(band->width_);
        info.clrFore = SystemColourFor(window, COLOR_BTNTEXT);
        info.clrBack = ColorToRGB(band->color_, window);
        info.hwndChild = band->control_ ? band->control_->Handle() : nullptr;
        info.cxMinChild = static_cast<UINT>(band->minWidth_);
        info.cyMinChild = static_cast<UINT>(std::max(band->minHeight_, band->control_ ? band->control_->Height() : 0));
        info.wID = static_cast<UINT>(i);
        info.lParam = reinterpret_cast<LPARAM>(band);
        info.iImage = band->imageIndex_;
        SendMessageW(window, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&info));
    }
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    putting_ = false;
    FitHeight();
}

void TCoolBar::FitHeight()
{
    if (!autoSize_ || !HandleAllocated()) return;
    const int height = static_cast<int>(SendMessageW(Handle(), RB_GETBARHEIGHT, 0, 0));
    if (height > 0 && height != Height()) SetHeight(height);
}

RECT TCoolBar::BandRect(int index)
{
    RECT rect{};
    if (HandleAllocated()) SendMessageW(Handle(), RB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TCoolBar::SetImages(TImageList* images)
{
    if (images == images_) return;
    images_ = images;
    if (images) images->FreeNotification(this);
    if (HandleAllocated()) RecreateWnd();
}

void TCoolBar::SetAutoSize(bool value)
{
    autoSize_ = value;
    FitHeight();
}

void TCoolBar::SetFixedOrder(bool value)
{
    if (value == fixedOrder_) return;
    fixedOrder_ = value;
    RecreateWnd();
}

void TCoolBar::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == images_) images_ = nullptr;
    if (bands_)
        for (int i = 0; i < bands_->Count(); ++i)
            if (bands_->At(i)->control_ == component) {
                bands_->At(i)->control_ = nullptr;
                if (!IsDestroying()) PutBands();
            }
}

namespace {

// The platform's rebar draws its row and band separators and each band's
// gripper with the system's edge colours, whatever the window's colours
// are resolved to. These are the colours replaced in its picture.
constexpr int kEdgeColours[] = {COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT, COLOR_BTNSHADOW, COLOR_3DDKSHADOW, COLOR_BTNFACE};

// Where a band's gripper stands: the start of its header, before its
// picture and caption.
constexpr int kGripperZone = 9;

}  // namespace

bool TCoolBar::PaintInResolvedColours()
{
    HWND window = Handle();
    std::vector<std::pair<COLORREF, COLORREF>> swaps;
    for (int index : kEdgeColours) {
        const COLORREF platform = GetSysColor(index);
        const COLORREF resolved = SystemColourFor(window, index);
        if (platform != resolved) swaps.emplace_back(platform, resolved);
    }
    if (swaps.empty()) return false;
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    PaintDc paint(window);
    if (width <= 0 || height <= 0) return true;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap picture(CreateDIBSection(paint.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDc memory(paint.get());
    if (!picture || !bits || !memory.get()) return true;
    SelectGuard select(memory.get(), picture.get());
    // The rebar paints into a given DC: background and separators first,
    // then the bands' grippers, pictures and captions.
    TMessage erase{WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.get()), 0, 0};
    DefaultHandler(erase);
    TMessage print{WM_PAINT, reinterpret_cast<WPARAM>(memory.get()), 0, 0};
    DefaultHandler(print);
    GdiFlush();

    // Only outside the bands (the separators) and in each band's gripper:
    // a band's picture and caption keep every colour they have.
    std::vector<uint8_t> edge(static_cast<size_t>(width) * static_cast<size_t>(height), 1);
    const int count = static_cast<int>(SendMessageW(window, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT band{};
        if (!SendMessageW(window, RB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&band))) continue;
        RECT borders{};
        SendMessageW(window, RB_GETBANDBORDERS, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&borders));
        const int gripperEnd = band.left + std::min<int>(kGripperZone, borders.left);
        for (int y = std::max<int>(band.top, 0); y < std::min<int>(band.bottom, height); ++y)
            for (int x = std::max<int>(gripperEnd, 0); x < std::min<int>(band.right, width); ++x)
                edge[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = 0;
    }
    auto* pixel = static_cast<RGBQUAD*>(bits);
    for (size_t i = 0; i < edge.size(); ++i, ++pixel) {
        if (!edge[i]) continue;
        const COLORREF colour = RGB(pixel->rgbRed, pixel->rgbGreen, pixel->rgbBlue);
        for (const auto& [from, to] : swaps)
            if (colour == from) {
                pixel->rgbRed = GetRValue(to);
                pixel->rgbGreen = GetGValue(to);
                pixel->rgbBlue = GetBValue(to);
                break;
            }
    }
    const RECT& dirty = paint.PaintRect();
    BitBlt(paint.get(), dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, memory.get(), dirty.left,
           dirty.top, SRCCOPY);
    return true;
}

void TCoolBar::WndProc(TMessage& message)
{
    switch (message.msg) {
    case WM_ERASEBKGND:
        // Erased together with the paint below when the colours are
        // replaced; the platform's erase would show its own edges first.
        if (HandleAllocated() && !putting_) {
            bool replaced = false;
            for (int index : kEdgeColours) replaced = replaced || GetSysColor(index) != SystemColourFor(Handle(), index);
            if (replaced) {
                message.result = 1;
                return;
            }
        }
        break;
    case WM_PAINT:
        if (message.wParam == 0 && HandleAllocated() && PaintInResolvedColours()) {
            message.result = 0;
            return;
        }
        break;
    default:
        break;
    }
    if (message.msg == CN_NOTIFY && reinterpret_cast<const NMHDR*>(message.lParam)->hwndFrom == WindowHandle() &&
        (reinterpret_cast<const NMHDR*>(message.lParam)->code == RBN_HEIGHTCHANGE ||
         reinterpret_cast<const NMHDR*>(message.lParam)->code == RBN_LAYOUTCHANGED)) {
        // The user moved or sized bands: keep their widths for the next
        // time the bands go into the window.
        if (bands_ && !putting_)
            for (int i = 0; i < bands_->Count(); ++i) bands_->At(i)->width_ = bands_->At(i)->Width();
        FitHeight();
        return;
    }
    TWinControl::WndProc(message);
}

}  // namespace quorvane
