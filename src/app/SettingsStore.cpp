#include "SettingsStore.h"

#include <QSettings>

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
    const PortSettings defaults;
    PortSettings s;
    s.port = text(ComPort).value_or(defaults.port);
    s.baudRate = static_cast<uint32_t>(integer(BaudRate, static_cast<int>(defaults.baudRate)));
    s.dataBits = integer(DataBits, defaults.dataBits);
    s.parity = integer(Parity, defaults.parity);
    s.stopBits = integer(StopBits, defaults.stopBits);
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
