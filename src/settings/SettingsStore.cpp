#include "SettingsStore.h"

#include "LineSettings.h"

#include <QSettings>
#include <QtEndian>

namespace {

QString path(SettingsStore::Key key)
{
    return QString::fromLatin1(key.section) + u'/' + QString::fromLatin1(key.name);
}

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLatin1(SettingsStore::Organisation),
                     QString::fromLatin1(SettingsStore::Application));
}

} // namespace

QVariant SettingsStore::value(Key key)
{
    return store().value(path(key));
}

void SettingsStore::setValue(Key key, const QVariant& value)
{
    QSettings settings = store();
    settings.setValue(path(key), value);
    settings.sync();
}

bool SettingsStore::isSaved()
{
    QSettings settings = store();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool SettingsStore::contains(Key key)
{
    return store().contains(path(key));
}

std::optional<QString> SettingsStore::text(Key key)
{
    const QVariant v = value(key);
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

void SettingsStore::setText(Key key, const QString& value)
{
    setValue(key, value);
}

int SettingsStore::integer(Key key, int defaultValue)
{
    bool ok = false;
    const int v = value(key).toInt(&ok);
    return ok ? v : defaultValue;
}

void SettingsStore::setInteger(Key key, int value)
{
    setValue(key, value);
}

QByteArray SettingsStore::binary(Key key)
{
    return value(key).toByteArray();
}

void SettingsStore::setBinary(Key key, const QByteArray& value)
{
    setValue(key, value);
}

PortSettings SettingsStore::portSettings()
{
    PortSettings s;
    s.port = text(ComPort).value_or(s.port);

    // A number is taken as the file holds it when the line can use it; the first one it cannot
    // is named with that text, so that the user can find it, and its default stays.
    auto read = [&s](Key key, auto usable) -> std::optional<qint64> {
        const QVariant stored = value(key);
        if (!stored.isValid())
            return std::nullopt;
        bool ok = false;
        const qint64 number = stored.toString().toLongLong(&ok);
        if (ok && usable(number))
            return number;
        if (s.usable()) {
            s.unusableName = QString::fromLatin1(key.name);
            s.unusableValue = stored.toString();
        }
        return std::nullopt;
    };
    auto within = [](qint64 low, qint64 high) {
        return [=](qint64 number) {
            return number >= low && number <= high;
        };
    };
    // A baud rate of 0 keeps the port's own, as the connection settings store it for a rate
    // that is not on their list.
    if (const auto rate = read(BaudRate, [](qint64 number) {
            return number == 0 || LineSettings::isSupportedBaudRate(number);
        }))
        s.baudRate = static_cast<uint32_t>(*rate);
    if (const auto bits = read(DataBits, within(5, 8)))
        s.dataBits = static_cast<int>(*bits);
    if (const auto parity = read(Parity, within(LineSettings::NoParity, LineSettings::SpaceParity)))
        s.parity = static_cast<int>(*parity);
    if (const auto stop =
            read(StopBits, within(LineSettings::OneStopBit, LineSettings::TwoStopBits)))
        s.stopBits = static_cast<int>(*stop);
    return s;
}

void SettingsStore::setPortSettings(const PortSettings& settings)
{
    setText(ComPort, settings.port);
    setInteger(BaudRate, static_cast<int>(settings.baudRate));
    setInteger(DataBits, settings.dataBits);
    setInteger(Parity, settings.parity);
    setInteger(StopBits, settings.stopBits);
}

std::optional<QRect> SettingsStore::windowFrame(const QByteArray& stored)
{
    if (stored.size() != 16)
        return std::nullopt;
    const char* raw = stored.constData();
    const qint64 left = qFromLittleEndian<qint32>(raw);
    const qint64 top = qFromLittleEndian<qint32>(raw + 4);
    const qint64 right = qFromLittleEndian<qint32>(raw + 8);
    const qint64 bottom = qFromLittleEndian<qint32>(raw + 12);
    // QWIDGETSIZE_MAX, which QtCore does not know: a widget is never wider or taller.
    constexpr qint64 LargestSide = (1 << 24) - 1;
    if (right - left < 1 || right - left > LargestSide || bottom - top < 1 ||
        bottom - top > LargestSide)
        return std::nullopt;
    return QRect(QPoint(static_cast<int>(left), static_cast<int>(top)),
                 QPoint(static_cast<int>(right - 1), static_cast<int>(bottom - 1)));
}

QByteArray SettingsStore::windowFrameValue(const QRect& frame)
{
    QByteArray stored(16, '\0');
    qToLittleEndian<qint32>(frame.left(), stored.data());
    qToLittleEndian<qint32>(frame.top(), stored.data() + 4);
    qToLittleEndian<qint32>(frame.right() + 1, stored.data() + 8);
    qToLittleEndian<qint32>(frame.bottom() + 1, stored.data() + 12);
    return stored;
}
