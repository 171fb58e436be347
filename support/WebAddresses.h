#pragma once
// The program's web addresses (two sites and the error report's page on one of them), each kept once here.
#include <QString>

namespace web {

// The maker's web server: scheme and host, no trailing "/". Error reports go to a page there.
inline QString MakerWebServer() { return QStringLiteral("http://www.tenmoor.example"); }

// The product's web site as the windows show and open it: the host name alone, no scheme
// (the shell opens a scheme-less address as a web address).
inline QString ProductWebSite() { return QStringLiteral("www.quorvane.example"); }

// The error report page on the maker's web server.
inline QString ErrorReportPage() { return QStringLiteral("errorqv.php"); }

} // namespace web
