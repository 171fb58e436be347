#pragma once
// The session's pictures (body diagram, hands, tool-bar and menu icons, the logos and the program's
// icon), compiled into the library from resources/session.qrc. A static library's resources
// register only when named: the program's main and the tests' main call this once, before the
// first window; it registers the support library's pictures as well.
void InitSessionResources();

// The program's icon: the main window's and the session's dialogs', and the About window's logo.
inline constexpr const char* kProgramIcon = ":/icon.svg";
