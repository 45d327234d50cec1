#include <gtest/gtest.h>

#include <QImage>

#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/SysUtils.h"

namespace {

TEST(TLabel, PaintingWithoutAParentFailsNamingTheControl) {
    TLabel label(nullptr, nullptr);
    label.SetName("lblLost");
    try {
        label.Paint();
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "コントロール 'lblLost' は親ウィンドウを持っていません");
    }
}

TEST(TLabel, DrawsItsCaptionWhereTheAlignmentPutsIt) {
    QWidget parent;
    parent.resize(200, 60);
    struct Case {
        TAlignment alignment;
        TTextLayout layout;
        bool inkLeft, inkRight, inkTop, inkBottom;
    } cases[] = {{taLeftJustify, tlTop, true, false, true, false},
                 {taRightJustify, tlBottom, false, true, false, true},
                 {taCenter, tlCenter, false, false, false, false}};
    for (const Case& c : cases) {
        TLabel label(nullptr, &parent);
        label.SetAutoSize(false);
        label.setGeometry(0, 0, 200, 60);
        label.SetCaption("MMMM");
        label.SetAlignment(c.alignment);
        label.SetLayout(c.layout);
        label.SetTransparent(true);
        QImage img(200, 60, QImage::Format_ARGB32);
        img.fill(Qt::white);
        label.render(&img);
        auto inkIn = [&](QRect r) {
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (qGray(img.pixel(x, y)) < 128) return true;
            return false;
        };
        EXPECT_EQ(inkIn({0, 0, 15, 60}), c.inkLeft);
        EXPECT_EQ(inkIn({185, 0, 15, 60}), c.inkRight);
        EXPECT_EQ(inkIn({0, 0, 200, 4}), c.inkTop);
        EXPECT_EQ(inkIn({0, 56, 200, 4}), c.inkBottom);
    }
}

TEST(TControl, MessagesPassThroughTheReplaceableWindowProcedure) {
    QWidget parent;
    TLabel label(nullptr, &parent);
    int clicks = 0;
    label.OnClick = [&](TComponent*) { ++clicks; };
    label.Perform(WM_LBUTTONDOWN, 1, 0);
    EXPECT_EQ(label.Perform(WM_LBUTTONUP, 0, 0), 0);
    EXPECT_EQ(clicks, 1);

    std::vector<std::uint32_t> seen;
    label.WindowProc = [&](TMessage& m) {
        seen.push_back(m.Msg);
        m.Result = 7;
    };
    EXPECT_EQ(label.Perform(WM_USER, 0, 0), 7);
    label.Perform(WM_LBUTTONDOWN, 1, 0);
    label.Perform(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{WM_USER, WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

}  // namespace
