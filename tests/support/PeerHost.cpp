#include "tests/support/PeerHost.h"

#include "tests/support/TestPaths.h"

#include <cstdlib>

namespace testing_support {

namespace {
const DWORD kAnswerTimeoutMs = 15000;   // a serial pair or a spawn answers well within this

bool StartWinsock()
{
    static bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}
} // namespace

PeerHost::PeerHost()
{
    if (!StartWinsock()) {
        m_error = "winsock did not start";
        return;
    }
    // The test run's host, named with its token in the environment (tools/lib/wine-run).
    const char* portText = std::getenv("PYRAXIS_PEERHOST_PORT");
    const char* token = std::getenv("PYRAXIS_PEERHOST_TOKEN");
    const int port = portText != nullptr ? std::atoi(portText) : 0;
    if (port <= 0 || token == nullptr || *token == '\0') {
        m_error = "no peer host runs (PYRAXIS_PEERHOST_PORT and PYRAXIS_PEERHOST_TOKEN not set)";
        return;
    }
    m_token = token;
    m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        m_error = "cannot connect to the peer host";
        ::closesocket(m_socket);
        m_socket = INVALID_SOCKET;
        return;
    }
    DWORD timeout = kAnswerTimeoutMs;
    ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
}

PeerHost::~PeerHost()
{
    if (m_socket != INVALID_SOCKET)
        ::closesocket(m_socket);   // the host ends everything this client made
}

std::string PeerHost::Request(const std::string& jsonLine)
{
    if (m_socket == INVALID_SOCKET)
        return "";
    // Every request carries the run's token; the host closes the connection otherwise.
    if (jsonLine.empty() || jsonLine[0] != '{')
        return "";
    std::string out = "{\"token\": " + Quote(m_token) + ", " + jsonLine.substr(1) + "\n";
    if (::send(m_socket, out.data(), static_cast<int>(out.size()), 0) != static_cast<int>(out.size()))
        return "";
    for (int reads = 0; reads < 1000; ++reads) {
        size_t newline = m_pending.find('\n');
        if (newline != std::string::npos) {
            std::string line = m_pending.substr(0, newline);
            m_pending.erase(0, newline + 1);
            return line;
        }
        char buffer[512];
        int n = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return "";
        m_pending.append(buffer, n);
    }
    return "";
}

std::string PeerHost::Quote(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string PeerHost::Field(const std::string& json, const std::string& key)
{
    size_t at = json.find(Quote(key) + ":");
    if (at == std::string::npos)
        return "";
    at += key.size() + 3;
    while (at < json.size() && json[at] == ' ')
        ++at;
    if (at < json.size() && json[at] == '"') {
        std::string value;
        for (++at; at < json.size() && json[at] != '"'; ++at) {
            if (json[at] == '\\' && at + 1 < json.size())
                ++at;
            value += json[at];
        }
        return value;
    }
    size_t end = json.find_first_of(",}", at);
    return json.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

SerialPair PeerHost::OpenSerialPair(int com, int baud, int bitsPerCharacter)
{
    std::string request = "{\"op\": \"serial_pair\", \"com\": " + std::to_string(com);
    if (baud > 0)
        request += ", \"baud\": " + std::to_string(baud) + ", \"bits\": " + std::to_string(bitsPerCharacter);
    return SerialPairFor(request + "}");
}

SerialPair PeerHost::OpenLossySerialPair(int baud, const std::string& lossRules, int bitsPerCharacter)
{
    return SerialPairFor("{\"op\": \"serial_pair\", \"com\": 0, \"baud\": " + std::to_string(baud) +
                         ", \"bits\": " + std::to_string(bitsPerCharacter) + ", \"lose\": " + lossRules + "}");
}

SerialPair PeerHost::SerialPairFor(const std::string& request)
{
    SerialPair pair;
    std::string answer = Request(request);
    if (Field(answer, "ok") != "true") {
        m_error = answer.empty() ? "no answer" : Field(answer, "error");
        return pair;
    }
    pair.id = std::atoi(Field(answer, "id").c_str());
    pair.com = std::atoi(Field(answer, "com").c_str());
    pair.port = Field(answer, "port");
    pair.peerPath = Field(answer, "peer");
    pair.lineJournal = Field(answer, "line_journal");
    return pair;
}

int PeerHost::Spawn(const std::vector<std::string>& argv)
{
    std::string list;
    for (const auto& arg : argv)
        list += (list.empty() ? "" : ", ") + Quote(arg);
    std::string answer = Request("{\"op\": \"spawn\", \"argv\": [" + list + "]}");
    if (Field(answer, "ok") != "true") {
        m_error = answer.empty() ? "no answer" : Field(answer, "error");
        return 0;
    }
    return std::atoi(Field(answer, "id").c_str());
}

int PeerHost::SpawnPython(const std::string& script, const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"/usr/bin/python3", SourceUnixPath("tests/device/" + script)};
    argv.insert(argv.end(), args.begin(), args.end());
    return Spawn(argv);
}

bool PeerHost::Stop(int id)
{
    return Field(Request("{\"op\": \"stop\", \"id\": " + std::to_string(id) + "}"), "ok") == "true";
}

bool PeerHost::Alive(int id)
{
    return Field(Request("{\"op\": \"alive\", \"id\": " + std::to_string(id) + "}"), "alive") == "true";
}

} // namespace testing_support
