#pragma once

// The console's commands with the ids of its menus.
enum CommandId : int {
    AboutCommand = 16,
    DownloadCommand = 32771,
    UploadCommand = 32772,
    ExitCommand = 32773,
    SaveAsCommand = 32776,
    PagersCommand = 32777,
    GroupsCommand = 32778,
    CommonMessagesCommand = 32779,
    FunctionKeysCommand = 32780,
    SettingsCommand = 32781,
    UpdateTavoluxCommand = 32782,
    UpdateVoicePromptsCommand = 32783,
    ConnectionSettingsCommand = 32784,
    AlarmsCommand = 32785,
    ViewPagersCommand = 32787,
    ViewGroupsCommand = 32788,
    ViewAlarmsCommand = 32789,
    StatusCommand = 32790,
    ConnectCommand = 32791,
    DisconnectCommand = 32792,
    ReminderMessagesCommand = 32793,
    LoginCommand = 32794,
    LogoutCommand = 32795,
    GatewaySettingsCommand = 32796,
    ViewPageHistoryCommand = 32797,
    NewCommand = 57600,
    OpenCommand = 57601,
    SaveCommand = 57603,
    CommonMessageCommandBase = 10000, // + the message's number, from the Common popup
};
