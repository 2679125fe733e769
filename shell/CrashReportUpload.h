#pragma once

#include <map>
#include <string>

namespace Pyxo {

class HTTPTransfer;

/// What a crash report upload sends and where to. Process-wide; the report-server host stays empty in this
/// system, so the upload is never offered.
struct CrashReportState {
    std::string mServerHost; // "host" or "host:port"; empty: no upload
    std::string mUserText;   // what the user wrote about the crash
    std::string mErrorTitle;
    std::string mReportText;
    std::string mAttachmentPath;
    bool mHaveAttachment = false; // the attachment is sent as the "demofile" part
};

/// The process's crash report state and the one transfer that carries the upload.
CrashReportState& GetCrashReportState();
HTTPTransfer& GetCrashReportTransfer();

/// The upload's complete request: a multipart form of the extra fields (in key order), "prod", "version",
/// "usertext", "errortitle", "errortext" and, with an attachment, "demofile", posted to the host.
std::string BuildCrashReportRequest(const CrashReportState& state, const std::map<std::string, std::string>& fields,
                                    const std::string& productName, const std::string& productVersion);

/// Builds the request from the process's state and the crashed application (its name, version and extra fields,
/// none without one) and hands it to the report transfer, whose result code tells how it went.
void CrashReportUpload();

} // namespace Pyxo
