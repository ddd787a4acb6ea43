// Client of the tests' peer host (tests/device/peerhost.py), which starts and ends the
// Unix processes a test needs: pseudo-terminal pairs linked as COM ports of the Wine
// prefix, and the test devices at their far end. Everything a client made ends when the
// client is destroyed.
#pragma once
#include <winsock2.h>

#include <string>
#include <vector>

namespace testing_support {

struct SerialPair {
    int id = 0;
    int com = 0;            // the Windows side is COM<com>
    std::string port;       // "COM<com>"
    std::string peerPath;   // the Unix path of the far end, for the peer program
    std::string lineJournal;   // a line at a baud rate: the Unix path of its frame journal
};

class PeerHost {
public:
    PeerHost();
    ~PeerHost();
    PeerHost(const PeerHost&) = delete;
    PeerHost& operator=(const PeerHost&) = delete;

    // False when no peer host runs for this test run (the reason is in Error()).
    bool Connected() const { return m_socket != INVALID_SOCKET; }
    const std::string& Error() const { return m_error; }

    // A pty pair, one end as COM<com> (a free number when com is 0). id 0 on failure.
    // With a baud rate the pair is as slow as a real line: bytes pass one at a time at
    // their character time (bitsPerCharacter, 11 for 8N2), one direction at a time, and
    // what both ends send at once collides (tests/device/line_relay.py).
    SerialPair OpenSerialPair(int com = 0, int baud = 0, int bitsPerCharacter = 11);
    // The same line losing the replies that lossRules (a JSON list of the relay's loss
    // rules) choose.
    SerialPair OpenLossySerialPair(int baud, const std::string& lossRules, int bitsPerCharacter = 11);
    // Starts a Unix program; returns its id, 0 on failure.
    int Spawn(const std::vector<std::string>& argv);
    // Starts a test-device script from tests/device with /usr/bin/python3.
    int SpawnPython(const std::string& script, const std::vector<std::string>& args);
    bool Stop(int id);
    bool Alive(int id);

    // Sends one request (a JSON object, to which the run's token is added) and returns
    // the answer line ("" on failure).
    std::string Request(const std::string& jsonLine);

    // Reads a field of a flat JSON answer: a string, or the text of a number or literal.
    static std::string Field(const std::string& json, const std::string& key);
    static std::string Quote(const std::string& text);

private:
    SerialPair SerialPairFor(const std::string& request);

    SOCKET m_socket = INVALID_SOCKET;
    std::string m_error;
    std::string m_token;
    std::string m_pending;
};

} // namespace testing_support
