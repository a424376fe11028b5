#include "DatabaseDump.h"

#include "Database.h"

#include <QJsonArray>

namespace {

const char* const FunctionKeyNames[] = {"F1",     "F2",     "F3",     "F4",
                                        "Del F1", "Del F2", "Del F3", "Del F4"};

QJsonValue localIdOrNull(uint16_t id)
{
    return id == ConfigurationImage::NoLocalId ? QJsonValue() : QJsonValue(id);
}

} // namespace

QJsonObject dumpDatabase(const Database& database, bool checksumMatched)
{
    const ConfigurationImage& image = database.image();
    QJsonObject out;
    out.insert(QStringLiteral("header"), image.textAt(ConfigurationImage::header));
    out.insert(QStringLiteral("startupLabel1"), image.textAt(ConfigurationImage::startupLabel1));
    out.insert(QStringLiteral("startupLabel2Line1"),
               image.textAt(ConfigurationImage::startupLabel2Line1));
    out.insert(QStringLiteral("startupLabel2Line2"),
               image.textAt(ConfigurationImage::startupLabel2Line2));
    out.insert(QStringLiteral("checksum"), image.checksum());
    out.insert(QStringLiteral("checksumOk"), checksumMatched);

    QJsonArray pagers;
    for (int slot = 0; slot < ConfigurationImage::PagerCount; ++slot) {
        const ConstPagerRecord pager = image.pager(slot);
        if (pager.isFree())
            continue;
        pagers.append(
            QJsonObject{{QStringLiteral("slot"), slot},
                        {QStringLiteral("localId"), pager.localId()},
                        {QStringLiteral("capcode"), static_cast<qint64>(pager.capcode())},
                        {QStringLiteral("receiverType"), pager.receiverType()},
                        {QStringLiteral("capWord"), static_cast<qint64>(pager.capWord())},
                        {QStringLiteral("name"), database.names().name(pager.localId())}});
    }
    out.insert(QStringLiteral("pagers"), pagers);

    QJsonArray groups;
    for (int slot = 0; slot < ConfigurationImage::GroupCount; ++slot) {
        const ConstGroupRecord group = image.group(slot);
        if (group.isFree())
            continue;
        QJsonArray members;
        for (int i = 0; i < GroupRecord::MemberCount; ++i)
            members.append(localIdOrNull(group.member(i)));
        groups.append(
            QJsonObject{{QStringLiteral("slot"), slot},
                        {QStringLiteral("localId"), group.localId()},
                        {QStringLiteral("members"), members},
                        {QStringLiteral("rotary"), group.isRotary()},
                        {QStringLiteral("groupFlags"), group.groupFlags()},
                        {QStringLiteral("name"), database.names().name(group.localId())}});
    }
    out.insert(QStringLiteral("groups"), groups);

    QJsonArray commonMessages;
    for (int i = 0; i < ConfigurationImage::CommonMessageCount; ++i)
        commonMessages.append(QJsonObject{{QStringLiteral("number"), i},
                                          {QStringLiteral("text"), image.commonMessage(i).text()}});
    out.insert(QStringLiteral("commonMessages"), commonMessages);

    QJsonArray functionKeys;
    for (int i = 0; i < ConfigurationImage::FunctionKeyCount; ++i) {
        const ConstFunctionKeyRecord key = image.functionKey(i);
        functionKeys.append(
            QJsonObject{{QStringLiteral("key"), QString::fromLatin1(FunctionKeyNames[i])},
                        {QStringLiteral("target"), localIdOrNull(key.target())},
                        {QStringLiteral("message"), key.message()},
                        {QStringLiteral("tone"), key.tone()}});
    }
    out.insert(QStringLiteral("functionKeys"), functionKeys);

    QJsonArray alarms;
    for (int i = 0; i < ConfigurationImage::AlarmCount; ++i) {
        const ConstAlarmRecord alarm = image.alarm(i);
        alarms.append(
            QJsonObject{{QStringLiteral("input"), i + 1},
                        {QStringLiteral("inputType"), alarm.inputType()},
                        {QStringLiteral("delay"), alarm.delay()},
                        {QStringLiteral("firstTarget"), localIdOrNull(alarm.firstTarget())},
                        {QStringLiteral("secondTarget"), localIdOrNull(alarm.secondTarget())},
                        {QStringLiteral("escalation"), alarm.escalation()},
                        {QStringLiteral("alarmFlags"), alarm.alarmFlags()},
                        {QStringLiteral("tone"), alarm.tone()},
                        {QStringLiteral("sendReset"), alarm.sendReset()},
                        {QStringLiteral("message"), alarm.message()}});
    }
    out.insert(QStringLiteral("alarms"), alarms);

    QJsonArray reminders;
    for (int i = 0; i < ConfigurationImage::ReminderCount; ++i) {
        const ConstReminderRecord reminder = image.reminder(i);
        reminders.append(QJsonObject{{QStringLiteral("number"), i + 1},
                                     {QStringLiteral("target"), localIdOrNull(reminder.target())},
                                     {QStringLiteral("timeOfDay"), reminder.timeOfDay()},
                                     {QStringLiteral("message"), reminder.message()}});
    }
    out.insert(QStringLiteral("reminders"), reminders);

    QJsonObject settings;
    const ConstUnitSettings unit = image.settings();
    for (const UnitSettings::FieldInfo& info : UnitSettings::fieldTable) {
        settings.insert(QString::fromLatin1(info.name),
                        info.text ? QJsonValue(unit.text(info.field))
                                  : QJsonValue(static_cast<qint64>(unit.value(info.field))));
    }
    out.insert(QStringLiteral("settings"), settings);

    QJsonObject names;
    for (auto it = database.names().entries().cbegin(); it != database.names().entries().cend();
         ++it)
        names.insert(it.key(), it.value());
    out.insert(QStringLiteral("names"), names);
    return out;
}
