// The HTTP client against a loopback server scripted per row: bodies plain, sized and chunked (one byte per send),
// the status codes, names that do not resolve, refused connections, responses that break off, and abort and reset.
// The reader's own table feeds whole responses in one piece and byte by byte.
#include "shell/HTTPTransfer.h"

#include "shell/HTTPResponseReader.h"
#include "tests/SuiteLabels.h"
#include "tests/shell/LoopbackServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using Pyxo::HTTPTransfer;
using namespace PyxoTest;

const std::string kRequest = "GET /x HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";

const std::string kChunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                             "5\r\nhello\r\n 1a \r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\n\r\n";

/// Sends the response, then waits for the client to close: the client must end by itself.
LoopbackServer::Script Answer(std::string response)
{
    return [response](int socket) {
        SendAll(socket, response);
        WaitForPeerClose(socket);
    };
}

/// Sends the response and closes at once.
LoopbackServer::Script AnswerAndClose(std::string response)
{
    return [response](int socket) { SendAll(socket, response); };
}

struct TransferCase {
    const char* name;
    LoopbackServer::Script script;
    int result;
    const char* content; // null: not checked
};

ILVANE_THREADED_SUITE(HTTPTransfer);

TEST(HTTPTransfer, ScriptedServers)
{
    const TransferCase cases[] = {
        {"plain body ends with the close", AnswerAndClose("HTTP/1.1 200 OK\r\n\r\nhello world"),
         HTTPTransfer::RESULT_DONE, "hello world"},
        {"sized body ends at its length while the socket stays open",
         Answer("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"), HTTPTransfer::RESULT_DONE, "hello"},
        {"empty sized body ends with the head", Answer("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"),
         HTTPTransfer::RESULT_DONE, ""},
        {"chunked, one byte per send",
         [](int socket) {
             for (char c : kChunked)
                 SendAll(socket, std::string(1, c));
             WaitForPeerClose(socket);
         },
         HTTPTransfer::RESULT_DONE, "helloabcdefghijklmnopqrstuvwxyz"},
        {"404", AnswerAndClose("HTTP/1.0 404 Not Found\r\n\r\nmissing"), HTTPTransfer::RESULT_NOT_FOUND, ""},
        {"500", Answer("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 4\r\n\r\noops"),
         HTTPTransfer::RESULT_HTTP_ERROR, ""},
        {"status line too short to hold a status", AnswerAndClose("HTTP/1.1 20\r\n\r\nbody"),
         HTTPTransfer::RESULT_HTTP_ERROR, ""},
        {"closed before the announced length", AnswerAndClose("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello"),
         HTTPTransfer::RESULT_SOCKET_ERROR, "hello"},
        {"closed before a length beyond 32 bits",
         AnswerAndClose("HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\nhello"),
         HTTPTransfer::RESULT_SOCKET_ERROR, "hello"},
        {"a length that is no number",
         AnswerAndClose("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\nhello"),
         HTTPTransfer::RESULT_SOCKET_ERROR, ""},
        {"closed before the last chunk",
         AnswerAndClose("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n"),
         HTTPTransfer::RESULT_SOCKET_ERROR, "hello"},
        {"closed inside the head", AnswerAndClose("HTTP/1.1 200 OK\r\nContent-"), HTTPTransfer::RESULT_SOCKET_ERROR,
         ""},
        {"reset by the server",
         [](int socket) {
             SendAll(socket, "HTTP/1.1 200 OK\r\n\r\npartial");
             CloseWithReset(socket);
         },
         HTTPTransfer::RESULT_SOCKET_ERROR, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(c.script);
        HTTPTransfer transfer;
        transfer.SendRequest(server.Url("/x"), kRequest);
        transfer.WaitFor();
        EXPECT_EQ(transfer.GetResultCode(), c.result);
        if (c.content) {
            EXPECT_EQ(transfer.GetContent(), c.content);
        }
        EXPECT_EQ(server.Request(), kRequest) << "the request text goes out as it is";
    }
}

TEST(HTTPTransfer, HostsThatCannotBeReached)
{
    // A name with blanks is refused by the resolver itself, so no name server is asked.
    HTTPTransfer unknown;
    unknown.SendRequest("http://no such host/x", kRequest);
    unknown.WaitFor();
    EXPECT_EQ(unknown.GetResultCode(), HTTPTransfer::RESULT_INVALID_ADDR);

    int closedPort = 0;
    {
        LoopbackServer server([](int) {});
        closedPort = server.Port();
    } // nothing listens there any more
    HTTPTransfer refused;
    refused.SendRequest("http://127.0.0.1:" + std::to_string(closedPort) + "/x", kRequest);
    refused.WaitFor();
    EXPECT_EQ(refused.GetResultCode(), HTTPTransfer::RESULT_CONNECT_FAIL);
}

TEST(HTTPTransfer, AbortEndsAHangingTransferAndResetClearsIt)
{
    LoopbackServer server([](int socket) { WaitForPeerClose(socket); }); // never answers
    HTTPTransfer transfer;
    transfer.SendRequest(server.Url(), kRequest);
    server.Request();
    EXPECT_EQ(transfer.GetResultCode(), HTTPTransfer::RESULT_NOT_COMPLETED);
    transfer.Abort();
    transfer.WaitFor();
    EXPECT_EQ(transfer.GetResultCode(), HTTPTransfer::RESULT_ABORTED);
    transfer.Reset();
    EXPECT_EQ(transfer.GetResultCode(), HTTPTransfer::RESULT_NOT_STARTED);
    EXPECT_EQ(transfer.GetContent(), "");
}

TEST(HTTPTransfer, DestroyingARunningTransferStopsItsWorker)
{
    LoopbackServer server([](int socket) { WaitForPeerClose(socket); });
    auto transfer = std::make_unique<HTTPTransfer>();
    transfer->SendRequest(server.Url(), kRequest);
    server.Request();
    transfer.reset(); // returns only once the worker has ended; the server then sees the close
}

TEST(HTTPTransfer, UrlsSplitIntoProtocolHostPortAndPath)
{
    struct UrlCase {
        const char* url;
        const char* protocol;
        const char* host;
        int port;
        const char* path;
    };
    const UrlCase cases[] = {
        {"http://host:8080/a/b", "http", "host", 8080, "/a/b"},
        {"http://host", "http", "host", 80, "/"},
        {"host", "", "host", 80, "/"},
        {"host:8080", "", "host", 8080, "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        HTTPTransfer transfer;
        transfer.PrepareUrl(c.url);
        EXPECT_EQ(transfer.mProtocol, c.protocol);
        EXPECT_EQ(transfer.mHost, c.host);
        EXPECT_EQ(transfer.mPort, c.port);
        EXPECT_EQ(transfer.mPath, c.path);
        EXPECT_EQ(transfer.GetResultCode(), HTTPTransfer::RESULT_NOT_COMPLETED);
    }
}

struct ReaderCase {
    const char* name;
    std::string response;
    bool closeAfter;
    int result;
    const char* content;
};

TEST(HTTPResponseReader, PiecesOfAnySizeReadAlike)
{
    const ReaderCase cases[] = {
        {"chunked with a padded size line", kChunked, false, 0, "helloabcdefghijklmnopqrstuvwxyz"},
        {"chunk size with an extension", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n3;x=y\r\nabc\r\n0\r\n\r\n",
         false, 0, "abc"},
        {"identity is not chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: identity\r\n\r\n3\r\n", true, 0, "3\r\n"},
        {"a chunk not closed by CRLF", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabcXY0\r\n\r\n",
         false, 6, "abc"},
        {"an unreadable chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false, 6, ""},
        {"the last Content-Length counts", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\nContent-Length: 2\r\n\r\nabcdef",
         false, 0, "ab"},
        {"the body after the last chunk is ignored", kChunked + "trailing", false, 0,
         "helloabcdefghijklmnopqrstuvwxyz"},
        {"a length beyond 32 bits, cut short", "HTTP/1.1 200 OK\r\nContent-Length: 4294967297\r\n\r\nabc", true, 6,
         "abc"},
        {"a length beyond 64 bits", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\nabc", true, 6, ""},
        {"a negative length", "HTTP/1.1 200 OK\r\nContent-Length: -3\r\n\r\nabc", true, 6, ""},
        {"a length with letters", "HTTP/1.1 200 OK\r\nContent-Length: 3x\r\n\r\nabc", true, 6, ""},
        {"an empty length", "HTTP/1.1 200 OK\r\nContent-Length: \r\n\r\nabc", true, 6, ""},
        {"a padded length", "HTTP/1.1 200 OK\r\nContent-Length:  3 \r\n\r\nabcdef", false, 0, "abc"},
    };
    for (const auto& c : cases) {
        for (bool byteByByte : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (byteByByte ? ", byte by byte" : ", in one piece"));
            Pyxo::HTTPResponseReader reader;
            if (byteByByte) {
                for (char ch : c.response)
                    reader.Receive(&ch, 1);
            } else {
                reader.Receive(c.response.data(), c.response.size());
            }
            if (c.closeAfter)
                reader.Close();
            EXPECT_EQ(reader.GetResult(), c.result);
            EXPECT_EQ(reader.GetContent(), c.content);
        }
    }
}

} // namespace
