#include <gtest/gtest.h>

#include <QImage>

#include "components/HLDVCLControls.h"
#include "platform/vcl/SysUtils.h"

namespace {

// A label that records what its standard window procedure and its paint saw.
class ProbeLabel : public TCLabel {
public:
    using TCLabel::TCLabel;
    std::vector<std::uint32_t> standard;
    int paints = 0;
    void WndProc(TMessage& m) override {
        standard.push_back(m.Msg);
        TCLabel::WndProc(m);
    }
    void Paint() override {
        ++paints;
        TCLabel::Paint();
    }
};

TEST(TCLabel, RoutesExactlyTheCustomRangeToItsHandlerWhenSwitchedOn) {
    const std::uint32_t probes[] = {1023, 1024, 33791, 33792};
    struct Case {
        const char* name;
        bool evoke, handler;
        std::vector<std::uint32_t> routed;
    } cases[] = {
        {"switched on with a handler", true, true, {1024, 33791}},
        {"switched on without a handler", true, false, {}},
        {"handler but switched off", false, true, {}},
    };
    for (const Case& c : cases) {
        QWidget parent;
        ProbeLabel label(nullptr, &parent);
        std::vector<std::uint32_t> routed;
        if (c.handler) {
            label.SetCustomMsgProc([&](TMessage& m, TComponent* sender) {
                EXPECT_EQ(sender, &label);
                routed.push_back(m.Msg);
                m.Result = 99;
            });
        }
        label.SetEvokeCustomMsgProc(c.evoke);
        for (std::uint32_t msg : probes) {
            const bool isRouted =
                std::find(c.routed.begin(), c.routed.end(), msg) != c.routed.end();
            EXPECT_EQ(label.Perform(msg, 0, 0), isRouted ? 99 : 0) << c.name << " " << msg;
        }
        EXPECT_EQ(routed, c.routed) << c.name;
        std::vector<std::uint32_t> standard;
        for (std::uint32_t msg : probes) {
            if (std::find(c.routed.begin(), c.routed.end(), msg) == c.routed.end()) {
                standard.push_back(msg);
            }
        }
        EXPECT_EQ(label.standard, standard) << c.name;
    }
}

TEST(TCLabel, SwitchingTheRoutingTakesEffectAtOnceButWaitsWhileLoading) {
    QWidget parent;
    TComponent form(nullptr);
    ProbeLabel label(&form, &parent);
    int routed = 0;
    ReadStoredForm(form, [&] {
        label.SetCustomMsgProc([&](TMessage&, TComponent*) { ++routed; });
        label.SetEvokeCustomMsgProc(true);
        label.Perform(WM_USER, 0, 0);  // still loading: standard handling
    });
    label.Perform(WM_USER, 0, 0);  // Loaded() chose the custom procedure
    EXPECT_EQ(routed, 1);
    label.SetEvokeCustomMsgProc(false);
    label.Perform(WM_USER, 0, 0);
    EXPECT_EQ(routed, 1);
    label.SetEvokeCustomMsgProc(true);
    label.Perform(WM_USER, 0, 0);
    EXPECT_EQ(routed, 2);
}

TEST(TCLabel, FrameIsTheFivePointPolylineOnTheLabelsEdges) {
    for (TBorderStyle style : {bsSingle, bsNone}) {
        QWidget parent;
        TCLabel label(nullptr, &parent);
        label.SetAutoSize(false);
        label.setGeometry(0, 0, 95, 18);
        label.SetTransparent(true);
        label.SetBorderColor(clRed);
        label.SetBorderStyle(style);
        QImage img(95, 18, QImage::Format_ARGB32);
        img.fill(Qt::white);
        label.render(&img);
        const bool framed = style == bsSingle;
        const QRgb red = qRgb(255, 0, 0);
        for (int x = 0; x < 95; ++x) {
            EXPECT_EQ(img.pixel(x, 0) == red, framed) << "top x=" << x;
            EXPECT_EQ(img.pixel(x, 17) == red, framed) << "bottom x=" << x;
        }
        for (int y = 0; y < 18; ++y) {
            EXPECT_EQ(img.pixel(0, y) == red, framed) << "left y=" << y;
            EXPECT_EQ(img.pixel(94, y) == red, framed) << "right y=" << y;
        }
        EXPECT_NE(img.pixel(1, 1), red);
        EXPECT_NE(img.pixel(93, 16), red);
    }
}

TEST(TCLabel, ChangingTheFramePaintsAtOnceAndOnlyOnARealChange) {
    QWidget parent;
    ProbeLabel label(nullptr, &parent);
    struct Step {
        std::function<void()> change;
        int paints;
    } steps[] = {
        {[&] { label.SetBorderStyle(bsSingle); }, 1},
        {[&] { label.SetBorderStyle(bsSingle); }, 1},
        {[&] { label.SetBorderColor(clBlue); }, 2},
        {[&] { label.SetBorderColor(clBlue); }, 2},
        {[&] { label.SetBorderStyle(bsNone); }, 3},
    };
    for (const Step& s : steps) {
        s.change();
        EXPECT_EQ(label.paints, s.paints);
    }
}

TEST(TCLabel, ChangingTheFrameWithoutAParentFailsAfterStoringTheValue) {
    struct Case {
        std::function<void(TCLabel&)> change;
        std::function<bool(const TCLabel&)> stored;
    } cases[] = {
        {[](TCLabel& l) { l.SetBorderStyle(bsSingle); },
         [](const TCLabel& l) { return l.BorderStyle() == bsSingle; }},
        {[](TCLabel& l) { l.SetBorderColor(clBlue); },
         [](const TCLabel& l) { return l.BorderColor() == clBlue; }},
    };
    for (const Case& c : cases) {
        TCLabel label(nullptr, nullptr);
        label.SetName("CLabel1");
        try {
            c.change(label);
            ADD_FAILURE() << "no error";
        } catch (const EInvalidOperation& e) {
            EXPECT_EQ(e.Message(), "コントロール 'CLabel1' は親ウィンドウを持っていません");
        }
        EXPECT_TRUE(c.stored(label));
    }
}

TEST(HouseComponents, DesignerPresetsApplyOnlyToComponentsNewlyPlacedInADesigner) {
    struct Case {
        const char* name;
        bool designing, ownerLoading;
        bool presets;
    } cases[] = {{"run time", false, false, false},
                 {"new in a designer", true, false, true},
                 {"read from a form in a designer", true, true, false}};
    for (const Case& c : cases) {
        TComponent owner(nullptr);
        owner.SetDesigning(c.designing);
        owner.SetStateFlag(TComponentStateFlag::csLoading, c.ownerLoading);
        QWidget parent;
        TCLabel label(&owner, &parent);
        TCOpenDialog open(&owner);
        TCSaveDialog save(&owner);
        EXPECT_EQ(label.AutoSize(), !c.presets) << c.name;
        EXPECT_EQ(open.Filter(), c.presets ? QStringLiteral("すべてのファイル (*.*)|*.*") : "")
            << c.name;
        EXPECT_EQ(open.Title(), c.presets ? QStringLiteral("ファイルを開く") : "") << c.name;
        EXPECT_TRUE(save.Filter().isEmpty() && save.Title().isEmpty()) << c.name;
    }
}

TEST(HouseComponents, ClassNamesAreTheHouseNames) {
    TCLabel label(nullptr, nullptr);
    TCOpenDialog open(nullptr);
    TCSaveDialog save(nullptr);
    TCActionList list(nullptr);
    EXPECT_STREQ(label.ClassName(), "TCLabel");
    EXPECT_STREQ(open.ClassName(), "TCOpenDialog");
    EXPECT_STREQ(save.ClassName(), "TCSaveDialog");
    EXPECT_STREQ(list.ClassName(), "TCActionList");
}

}  // namespace
