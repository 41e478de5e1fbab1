#pragma once

namespace quillet::app {

// Every command of the main window's menus, toolbar and keys, and the commands the editor windows
// take from it. The values are the program's resource ids: a toolbar button's tooltip is the string
// of the same id, and menu items (4xxxx) and toolbar buttons (20xx) never share one.
enum class CommandId : int {
    None = 0,  // a separator in the menu and toolbar tables

    // Phone Book menu.
    EditPhoneBook = 40001,
    FixedDialingNumbers = 40089,
    ActivateFdn = 40093,
    PhoneBookOpenFile = 40002,
    PhoneBookSaveFile = 40005,
    PhoneBookAddFromFile = 40006,
    NewPhoneBook = 40007,
    Internationalization = 40079,
    PrintPhoneBook = 40096,

    // SMS Messages menu.
    EditMessages = 40004,
    SmsOpenFile = 40008,
    SmsSaveFile = 40009,
    SmsAddToFile = 40010,
    SmsParameters = 40053,
    PrintMessages = 40097,

    // PIN menu.
    EnterPin = 40018,
    ChangePin = 40091,
    EnableDisablePin = 40099,
    EnterPin2 = 40090,
    ChangePin2 = 40092,
    UnblockCard = 40087,

    // SIM Card menu.
    BackupCard = 40024,
    RestoreCard = 40025,
    OpenBackupFile = 40078,
    SimInformation = 40026,
    CheckAndRepairSim = 40098,
    PreferredNetworks = 40094,
    ForbiddenNetworks = 40095,

    // Edit menu and its keys.
    InsertItem = 40060,
    DeleteItem = 40061,
    DeleteSelected = 40062,
    SelectAll = 40063,
    Copy = 40066,
    Cut = 40067,
    Paste = 40068,
    Select = 40069,
    FindReplace = 40082,

    // Window menu.
    PhoneBookWindow1 = 40201,
    PhoneBookWindow2 = 40202,
    PhoneBookWindow3 = 40203,
    PhoneBookNext = 40074,
    SmsWindow1 = 40301,
    SmsWindow2 = 40302,
    SmsWindow3 = 40303,
    SmsNext = 40076,
    CloseAll = 40071,

    // Other and Help menus.
    Setup = 40021,
    CountryCodes = 40027,
    TelephoneCard = 40086,
    Exit = 40023,
    About = 40081,
    HelpContents = 57666,
    ContextHelp = 57669,
    Help = 57670,

    // Toolbar buttons.
    ToolOpenFile = 2001,
    ToolSaveFile = 2002,
    ToolPrint = 2003,
    ToolEditPhoneBook = 2005,
    ToolAnotherPhoneBook = 2006,
    ToolEditMessages = 2007,
    ToolAnotherSmsWindow = 2008,
    ToolEnterPin = 2009,
    ToolFindReplace = 2011,
    ToolFindNext = 2012,
    ToolInsertItem = 2014,
    ToolDeleteItem = 2015,
    ToolDeleteSelected = 2016,
    ToolInternationalize = 2017,
    ToolSimInformation = 2019,
    ToolCheckAndRepair = 2020,

    // What an editor window receives when the main window passes a command on.
    EditorFind = 1005,
    EditorInsert = 2053,
    EditorDelete = 2054,
    EditorDeleteSelected = 2055,
    EditorSelectAll = 2056,
    EditorCut = 2057,
    EditorCopy = 2058,
    EditorPaste = 2059,
    EditorSelect = 2062,
    EditorInternationalize = 2063,
    EditorFindNext = 2100,

    // An editor window's own buttons and context menu.
    EditorClose = 2,
    EditorReadFromSim = 1001,
    EditorWriteToSim = 1002,
    EditorClearAll = 1004,
    EditorSort = 1006,
    EditorAddCode = 1007,
    EditorEdit = 1027,
    EditorMenuEdit = 2060,
    EditorMenuClear = 2061,
};

}  // namespace quillet::app
