#include "shell/CrashReportUpload.h"

#include "platform/files/FileSystem.h"
#include "shell/CrashCatcher.h"
#include "shell/HTTPTransfer.h"
#include "shell/PyxoAppBase.h"

#include <cstdint>
#include <vector>

namespace Pyxo {

namespace {

const std::string kBoundary = "---------------------------7d3e1f30eec";

void AppendPart(std::string& body, const std::string& name, const std::string& value)
{
    body += "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

} // namespace

CrashReportState& GetCrashReportState()
{
    static CrashReportState state;
    return state;
}

HTTPTransfer& GetCrashReportTransfer()
{
    static HTTPTransfer transfer;
    return transfer;
}

std::string BuildCrashReportRequest(const CrashReportState& state, const std::map<std::string, std::string>& fields,
                                    const std::string& productName, const std::string& productVersion)
{
    std::string body;
    for (const auto& [name, value] : fields)
        AppendPart(body, name, value);
    AppendPart(body, "prod", productName);
    AppendPart(body, "version", productVersion);
    AppendPart(body, "usertext", state.mUserText);
    AppendPart(body, "errortitle", state.mErrorTitle);
    AppendPart(body, "errortext", state.mReportText);
    if (state.mHaveAttachment) {
        std::vector<uint8_t> attachment;
        if (!Platform::ReadWholeFile(state.mAttachmentPath, attachment))
            attachment.clear();
        body += "--" + kBoundary +
                "\r\nContent-Disposition: form-data; name=\"demofile\"; filename=\"tarnek.dmo\"\r\n"
                "Content-Type: application/octet-stream\r\n\r\n";
        body.append(attachment.begin(), attachment.end());
        body += "\r\n";
    }
    body += "--" + kBoundary + "--\r\n";

    // A neutral agent: the request says what it is, not which browser it might be.
    return "POST /vastel_error.php HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=" + kBoundary +
           "\r\nUser-Agent: CrashReportUpload/1.0\r\nHost: " + state.mServerHost +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

void CrashReportUpload()
{
    const CrashReportState& state = GetCrashReportState();
    std::map<std::string, std::string> fields;
    std::string productName;
    std::string productVersion;
    if (PyxoAppBase* app = gCrashCatcherApp.load()) {
        app->GetCrashReportFields(fields);
        productName = app->mProductName;
        productVersion = app->mProductVersion;
    }
    GetCrashReportTransfer().SendRequest(state.mServerHost,
                                         BuildCrashReportRequest(state, fields, productName, productVersion));
}

} // namespace Pyxo
