#include "CoasterPanel.h"

#include "ConfigurationImage.h"
#include "PictureButton.h"
#include "SettingsStore.h"
#include "UnitSession.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QCursor>
#include <QEnterEvent>
#include <QIcon>

#include <algorithm>

#include <optional>

namespace {

// Narrower than this, the buttons look squeezed.
constexpr int MinimumWidth = 120;

struct ButtonSpec {
    const char* caption;
    const char* icon;                        // picture name in the resources
    std::optional<SettingsStore::Key> state; // where a switch keeps its state
};

const std::array<ButtonSpec, CoasterPanel::ButtonCount> Buttons{{
    {QT_TRANSLATE_NOOP("CoasterPanel", "&Beep"), "beep", SettingsStore::BeepState},
    {QT_TRANSLATE_NOOP("CoasterPanel", "&Flash"), "flash", SettingsStore::FlashState},
    {QT_TRANSLATE_NOOP("CoasterPanel", "&Vibrate"), "vibrate", SettingsStore::VibeState},
    {QT_TRANSLATE_NOOP("CoasterPanel", "&Range"), "antitheft", SettingsStore::RangeState},
    {QT_TRANSLATE_NOOP("CoasterPanel", "L&ocate"), "locate", std::nullopt},
}};

QIcon picture(const char* name, bool hot)
{
    return QIcon(QStringLiteral(":/icons/%1%2.png")
                     .arg(QString::fromLatin1(name), hot ? QStringLiteral("-hot") : QString()));
}

bool isOn(SettingsStore::Key state)
{
    return SettingsStore::integer(state, 0) != 0;
}

} // namespace

QByteArray CoasterPanel::alertCode(bool beep, bool flash, bool vibrate)
{
    // Beep outranks Flash: with Beep on, Flash adds nothing the coasters can show.
    if (beep)
        return vibrate ? "9898" : "9595";
    if (flash)
        return vibrate ? "9696" : "9797";
    return vibrate ? "9292" : QByteArray();
}

QByteArray CoasterPanel::coasterPage(uint32_t capcode, const QByteArray& field)
{
    const char separator = UnitSession::RecordSeparator;
    QByteArray page = QByteArray::number(capcode);
    for (const QByteArray& next : {field, QByteArray("1"), QByteArray("1"), QByteArray("N")})
        page += separator + next;
    return page + separator;
}

CoasterPanel::CoasterPanel(UnitSession& session, const ConfigurationImage& image,
                           QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , session_(session)
    , image_(image)
{
    setWindowTitle(tr("Coasters"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);

    const bool alert = SettingsStore::integer(SettingsStore::Alert, 1) != 0;
    const bool range = SettingsStore::integer(SettingsStore::Range, 1) != 0;
    const bool locateRow = SettingsStore::integer(SettingsStore::Locate, 1) != 0;
    const std::array<bool, ButtonCount> shown{alert, alert, alert, range, locateRow};

    int width = 0;
    for (int i = 0; i < ButtonCount; ++i) {
        const ButtonSpec& spec = Buttons[i];
        auto* button = new PictureButton(this);
        button->Configure(tr(spec.caption), picture(spec.icon, true), picture(spec.icon, false),
                          PictureButton::IconLeft, false);
        button->setFocusPolicy(Qt::NoFocus);
        if (spec.state)
            button->SetLatched(isOn(*spec.state));
        const auto which = static_cast<Button>(i);
        connect(button, &PictureButton::clicked, this,
                [this, which] { which == Locate ? locate() : toggle(which); });
        button->setVisible(shown[i]);
        buttons_[i] = button;
        width = std::max(width, button->sizeHint().width());
        if (shown[i])
            ++rows_;
    }
    width = std::max({width, MinimumWidth, WindowPlacement::titleWidth(*this)});

    int top = 0;
    for (PictureButton* button : buttons_)
        if (!button->isHidden()) {
            button->setGeometry(0, top, width, ButtonHeight);
            top += ButtonHeight;
        }

    const QSize size(width, rows_ * ButtonHeight);
    setFixedSize(size);
    const QSize frameSize = size.grownBy(WindowPlacement::frameMargins(*this));
    const QList<QRect> areas = WindowPlacement::availableAreas();
    QRect frame = WindowPlacement::beside(frameSize, {WindowPlacement::frame(*mainWindow)}, areas);
    if (const auto stored =
            SettingsStore::windowFrame(SettingsStore::binary(SettingsStore::PatronWndPos)))
        frame = QRect(stored->topLeft(), frameSize);
    WindowPlacement::place(*this, frame);

    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    settle_.setTimerType(Qt::PreciseTimer);
    connect(&settle_, &QTimer::timeout, this, &CoasterPanel::sendMode);
    hoverPoll_.setInterval(HoverPollMs);
    connect(&hoverPoll_, &QTimer::timeout, this, &CoasterPanel::pollHover);
}

CoasterPanel::~CoasterPanel()
{
    // A panel that never showed a row has no place worth keeping.
    if (rows_ > 0)
        SettingsStore::setBinary(SettingsStore::PatronWndPos,
                                 SettingsStore::windowFrameValue(WindowPlacement::frame(*this)));
}

void CoasterPanel::toggle(Button which)
{
    settle_.stop();
    const SettingsStore::Key state = *Buttons[which].state;
    const bool on = !isOn(state);
    buttons_[which]->SetLatched(on);
    SettingsStore::setInteger(state, on ? 1 : 0);
    settle_.start();
}

void CoasterPanel::sendWaitingMode()
{
    if (settle_.isActive())
        sendMode();
}

void CoasterPanel::sendMode()
{
    settle_.stop();
    // The mode is refused as a whole, before any of its pages is offered to the queue.
    if (session_.refusedWhileOffline())
        return;
    const ConstUnitSettings settings = image_.settings();
    const uint32_t group = settings.value(UnitSettings::groupCapCode);
    const QByteArray code =
        alertCode(isOn(SettingsStore::BeepState), isOn(SettingsStore::FlashState),
                  isOn(SettingsStore::VibeState));
    if (!code.isEmpty()) {
        session_.QueuePage(coasterPage(group, code), {PageOrigin::Source::CoasterAlert, {}, {}});
        // The line may have gone with that page, and the queue has said so; the range page
        // would only say it again.
        if (!session_.isOnline())
            return;
    }
    session_.QueuePage(coasterPage(group, isOn(SettingsStore::RangeState) ? "9494" : "9393"),
                       {PageOrigin::Source::CoasterRange, {}, {}});
}

void CoasterPanel::locate()
{
    session_.QueuePage(coasterPage(image_.settings().value(UnitSettings::locateCapCode), " "),
                       {PageOrigin::Source::CoasterLocate, {}, {}});
}

void CoasterPanel::closeEvent(QCloseEvent* event)
{
    sendWaitingMode();
    QWidget::closeEvent(event);
}

void CoasterPanel::enterEvent(QEnterEvent* event)
{
    if (!hoverPoll_.isActive())
        hoverPoll_.start();
    QWidget::enterEvent(event);
}

// A pointer that left quickly, onto another window, may not have said so; once it is off the
// panel and no button shows it, there is nothing left to watch.
void CoasterPanel::pollHover()
{
    bool hovered = false;
    for (PictureButton* button : buttons_) {
        button->pollHover();
        hovered = hovered || button->isHover();
    }
    if (!hovered && !rect().contains(mapFromGlobal(QCursor::pos())))
        hoverPoll_.stop();
}
