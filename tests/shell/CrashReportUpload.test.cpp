// The crash report upload: its multipart request byte for byte, and its way through the HTTP client to a
// loopback server standing in for the report server that this system never names.
#include "shell/CrashReportUpload.h"

#include "shell/CrashCatcher.h"
#include "shell/HTTPTransfer.h"
#include "shell/PyxoAppBase.h"
#include "tests/SuiteLabels.h"
#include "tests/shell/LoopbackServer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string kBoundary = "---------------------------7d3e1f30eec";

std::string Part(const std::string& name, const std::string& value)
{
    return "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

std::string Request(const std::string& host, const std::string& body)
{
    return "POST /vastel_error.php HTTP/1.1\r\n"
           "Content-Type: multipart/form-data; boundary=---------------------------7d3e1f30eec\r\n"
           "User-Agent: CrashReportUpload/1.0\r\n"
           "Host: " +
           host + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

ILVANE_THREADED_SUITE(CrashReportUpload);

TEST(CrashReportUpload, TheRequestIsAMultipartFormByteForByte)
{
    Pyxo::CrashReportState state;
    state.mServerHost = "reports:8080";
    state.mErrorTitle = "Exception at 0002:00001234";
    state.mReportText = "Exception: Access Violation\r\nModule: x\r\n";
    const std::string body = Part("a", "1") + Part("z", "26") + Part("prod", "Ilvane Cafe") + Part("version", "1.0") +
                             Part("usertext", "") + Part("errortitle", "Exception at 0002:00001234") +
                             Part("errortext", "Exception: Access Violation\r\nModule: x\r\n") + "--" + kBoundary +
                             "--\r\n";
    const std::string request = Pyxo::BuildCrashReportRequest(state, {{"z", "26"}, {"a", "1"}}, "Ilvane Cafe", "1.0");
    EXPECT_EQ(request, Request("reports:8080", body));
    EXPECT_EQ(body.size(), 776u) << "Content-Length counts the body to its closing line";
}

TEST(CrashReportUpload, AnAttachmentIsSentAsTheDemoFilePart)
{
    const fs::path file = fs::temp_directory_path() / ("ilvane-attachment-" + std::to_string(getpid()));
    std::ofstream(file, std::ios::binary) << std::string("\0\x01z", 3);
    Pyxo::CrashReportState state;
    state.mServerHost = "reports";
    state.mAttachmentPath = file.string();
    state.mHaveAttachment = true;
    const std::string request = Pyxo::BuildCrashReportRequest(state, {}, "P", "V");
    fs::remove(file);
    const std::string attachment = "--" + kBoundary +
                                   "\r\nContent-Disposition: form-data; name=\"demofile\"; filename=\"tarnek.dmo\"\r\n"
                                   "Content-Type: application/octet-stream\r\n\r\n" +
                                   std::string("\0\x01z", 3) + "\r\n--" + kBoundary + "--\r\n";
    ASSERT_GE(request.size(), attachment.size());
    EXPECT_EQ(request.substr(request.size() - attachment.size()), attachment);
}

class ReportingApp : public Pyxo::PyxoAppBase {
public:
    ReportingApp()
    {
        mProductName = "Ilvane Cafe";
        mProductVersion = "1.0";
    }
    void GetCrashReportFields(std::map<std::string, std::string>& fields) override { fields["level"] = "12"; }
};

TEST(CrashReportUpload, TheUploadPostsTheReportToTheServer)
{
    PyxoTest::LoopbackServer server([](int socket) {
        PyxoTest::SendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        PyxoTest::WaitForPeerClose(socket);
    });
    ReportingApp app;
    Pyxo::CrashReportState& state = Pyxo::GetCrashReportState();
    const Pyxo::CrashReportState saved = state;
    state.mServerHost = "127.0.0.1:" + std::to_string(server.Port());
    state.mUserText = "It crashed when I served the tea.";
    state.mErrorTitle = "Exception at 0002:00000010";
    state.mReportText = "report\r\n";

    Pyxo::CrashReportUpload();
    Pyxo::HTTPTransfer& transfer = Pyxo::GetCrashReportTransfer();
    transfer.WaitFor();
    EXPECT_EQ(transfer.GetResultCode(), Pyxo::HTTPTransfer::RESULT_DONE);
    EXPECT_EQ(transfer.mHost, "127.0.0.1");
    EXPECT_EQ(transfer.mPath, "/");
    EXPECT_EQ(server.Request(), Pyxo::BuildCrashReportRequest(state, {{"level", "12"}}, "Ilvane Cafe", "1.0"));
    transfer.Reset();
    state = saved;
}

} // namespace
