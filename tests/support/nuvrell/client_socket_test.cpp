// Nuvrell's socket object against the local hall server, directly.
#include <gtest/gtest.h>

#include <winsock2.h>

#include "tests/support/nuvrell/socket_sink.h"
#include "tests/zavrel/net/net_lab.h"

using sockettest::Message;
using sockettest::RecordingSink;
using sockettest::SocketPtr;

namespace {

// Starts one hall server with the script; skips nothing: a failure to start
// is a test failure.
#define START_LAB(lab) ASSERT_TRUE((lab).Start()) << (lab).Error()

}  // namespace

TEST(ClientSocket, CreationAnswersByTheQueryRule) {
  CreateClientSocketProc create = sockettest::CreateProc();
  ASSERT_NE(nullptr, create);
  EXPECT_EQ(nullptr, create(nullptr, 0x01010100));
  EXPECT_EQ(nullptr, create(&IID_IClientSocket, 0x01020000));
  EXPECT_EQ(nullptr, create(&IID_IClientSocketSink, 0x01010100));
  auto* socket = static_cast<IClientSocket*>(create(&IID_IUnknownEx, 0x01010007));
  ASSERT_NE(nullptr, socket);
  EXPECT_TRUE(socket->IsValid());
  EXPECT_EQ(socket, socket->QueryInterface(IID_IClientSocket, 0x01010000));
  EXPECT_EQ(nullptr, socket->QueryInterface(IID_IClientSocket, 0x01010200));
  EXPECT_EQ(SocketStatus_Idle, socket->GetSocketStatus());
  EXPECT_EQ(0u, socket->GetServerAddr());
  EXPECT_TRUE(socket->Release());
}

TEST(ClientSocket, SlotsStandWhereTheServiceCallsThem) {
  SocketPtr socket;
  ASSERT_NE(nullptr, socket.get());
  // Call through the raw table, as a module built elsewhere would, with the
  // member calling convention.
  void** table = *reinterpret_cast<void***>(socket.get());
  auto status = reinterpret_cast<int(TESTKIT_MEMBER_CALL*)(IClientSocket*)>(table[11]);
  auto pending = reinterpret_cast<DWORD(TESTKIT_MEMBER_CALL*)(IClientSocket*)>(table[15]);
  auto close = reinterpret_cast<bool(TESTKIT_MEMBER_CALL*)(IClientSocket*, bool)>(table[16]);
  auto connect = reinterpret_cast<bool(TESTKIT_MEMBER_CALL*)(IClientSocket*, LPCSTR, WORD)>(table[12]);
  EXPECT_EQ(SocketStatus_Idle, status(socket.get()));
  EXPECT_EQ(0u, pending(socket.get()));
  EXPECT_FALSE(close(socket.get(), false));
  EXPECT_FALSE(connect(socket.get(), "127.0.0.1", 1));  // no sink yet: refused at once
  auto sink = reinterpret_cast<bool(TESTKIT_MEMBER_CALL*)(IClientSocket*, IUnknownEx*)>(table[5]);
  RecordingSink rec;
  EXPECT_TRUE(sink(socket.get(), &rec));
  EXPECT_EQ(&rec, socket->GetSocketSink());
}

TEST(ClientSocket, ConnectRefusesAtOnceWithoutReporting) {
  SocketPtr socket;
  RecordingSink rec;
  EXPECT_FALSE(socket->Connect("127.0.0.1", 1000));  // no sink
  ASSERT_TRUE(socket->SetSocketSink(&rec));
  EXPECT_FALSE(socket->Connect("", 1000));
  EXPECT_FALSE(socket->Connect(nullptr, 1000));
  EXPECT_FALSE(socket->Connect("127.0.0.1", 0));
  EXPECT_FALSE(socket->Connect(std::string(256, 'a').c_str(), 1000));
  EXPECT_FALSE(socket->SendData(1, 1));
  ASSERT_TRUE(testkit::PumpUntilIdle());
  EXPECT_TRUE(rec.connects.empty());
  EXPECT_EQ(SocketStatus_Idle, socket->GetSocketStatus());
}

TEST(ClientSocket, ReceivesAThousandMessagesInOrderAndEchoes) {
  netlab::NetLab lab;
  lab.Hall("hall", "send 1000 7 9 32\necho\n");
  START_LAB(lab);
  SocketPtr socket;
  RecordingSink rec;
  ASSERT_TRUE(socket->SetSocketSink(&rec));
  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));
  EXPECT_EQ(SocketStatus_Connecting, socket->GetSocketStatus());
  ASSERT_EQ(0, rec.WaitConnect());
  EXPECT_EQ("", rec.texts.back());
  EXPECT_EQ(socket.get(), rec.lastSocket);
  EXPECT_EQ(SocketStatus_Connected, socket->GetSocketStatus());
  EXPECT_EQ(htonl(INADDR_LOOPBACK), socket->GetServerAddr());
  EXPECT_EQ(lab.Port("hall"), socket->GetServerPort());
  EXPECT_EQ(htonl(INADDR_LOOPBACK), socket->GetClientAddr());

  ASSERT_TRUE(rec.WaitMessages(1000));
  for (unsigned i = 0; i < 1000; ++i) {
    ASSERT_EQ(7, rec.messages[i].main);
    ASSERT_EQ(9, rec.messages[i].sub);
    ASSERT_EQ(32u, rec.messages[i].body.size());
    ASSERT_EQ(i, sockettest::SeqOf(rec.messages[i].body));
  }

  // Echo: a message with a body and one without come back unchanged.
  const char body[] = "\x01\x02\x03 hello";
  ASSERT_TRUE(socket->SendData(300, 301, body, sizeof(body)));
  ASSERT_TRUE(socket->SendData(400, 401));
  ASSERT_TRUE(rec.WaitMessages(1002));
  EXPECT_EQ(300, rec.messages[1000].main);
  EXPECT_EQ(301, rec.messages[1000].sub);
  EXPECT_EQ(std::string(body, sizeof(body)), rec.messages[1000].body);
  EXPECT_EQ(400, rec.messages[1001].main);
  EXPECT_EQ("", rec.messages[1001].body);
  EXPECT_EQ(1, rec.nullBodies);
  EXPECT_FALSE(socket->SendData(1, 1, nullptr, 4));
  EXPECT_FALSE(socket->SendData(1, 1, body, 0xFFFF));  // larger than a frame
  EXPECT_TRUE(rec.closes.empty());
}

TEST(ClientSocket, RefusedPortIsAConnectOutcome) {
  netlab::NetLab lab;
  lab.Closed("closed");
  START_LAB(lab);
  SocketPtr socket;
  RecordingSink rec;
  socket->SetSocketSink(&rec);
  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("closed")));
  EXPECT_EQ(WSAECONNREFUSED, rec.WaitConnect());
  EXPECT_NE(std::string::npos, rec.texts.back().find("10061"));
  EXPECT_EQ(SocketStatus_Idle, socket->GetSocketStatus());
  EXPECT_TRUE(rec.closes.empty());
}

TEST(ClientSocket, HostNamesAreResolvedAway) {
  netlab::NetLab lab;
  lab.Hall("hall", "send 1");
  START_LAB(lab);
  SocketPtr socket;
  RecordingSink rec;
  socket->SetSocketSink(&rec);
  ASSERT_TRUE(socket->Connect("localhost", lab.Port("hall")));
  EXPECT_EQ(SocketStatus_Connecting, socket->GetSocketStatus());
  ASSERT_EQ(0, rec.WaitConnect());
  ASSERT_TRUE(rec.WaitMessages(1));

  ASSERT_TRUE(socket->Connect("no-such-host.invalid", lab.Port("hall")));
  EXPECT_EQ(NUVRELL_ERROR_RESOLVE, rec.WaitConnect());
  EXPECT_NE(std::string::npos, rec.texts.back().find("no-such-host.invalid"));
  EXPECT_TRUE(rec.closes.empty());  // the first connection was closed by Connect, silently
}

TEST(ClientSocket, MalformedFramesDropTheConnection) {
  for (const char* kind : {"short", "huge", "version", "truncated"}) {
    SCOPED_TRACE(kind);
    netlab::NetLab lab;
    lab.Hall("hall", std::string("send 2 5 6 8\nmalformed ") + kind + "\nsend 1 5 6 8\n");
    START_LAB(lab);
    SocketPtr socket;
    RecordingSink rec;
    socket->SetSocketSink(&rec);
    ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));
    ASSERT_EQ(0, rec.WaitConnect());
    ASSERT_TRUE(rec.WaitClose());
    EXPECT_EQ(std::vector<bool>{true}, rec.closes);
    // What came before the bad frame was delivered; nothing after it.
    ASSERT_EQ(2u, rec.messages.size());
    EXPECT_EQ(1u, sockettest::SeqOf(rec.messages[1].body));
    EXPECT_EQ(SocketStatus_Idle, socket->GetSocketStatus());
  }
}

TEST(ClientSocket, CloseIsReportedOnlyWhenAsked) {
  netlab::NetLab lab;
  lab.Hall("hall", "echo");
  START_LAB(lab);
  SocketPtr socket;
  RecordingSink rec;
  socket->SetSocketSink(&rec);
  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));
  ASSERT_EQ(0, rec.WaitConnect());
  EXPECT_TRUE(socket->CloseSocket(false));
  EXPECT_FALSE(socket->CloseSocket(true));  // nothing left to close
  ASSERT_TRUE(testkit::PumpUntilIdle());
  EXPECT_TRUE(rec.closes.empty());

  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));
  ASSERT_EQ(0, rec.WaitConnect());
  EXPECT_TRUE(socket->CloseSocket(true));
  EXPECT_EQ(std::vector<bool>{false}, rec.closes);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return lab.CountLog("hall", "close") == 2; }, 5000));
}

TEST(ClientSocket, ServerDropIsReportedAfterItsMessages) {
  netlab::NetLab lab;
  lab.Hall("hall", "send 3\ndrop");
  START_LAB(lab);
  SocketPtr socket;
  RecordingSink rec;
  socket->SetSocketSink(&rec);
  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));
  ASSERT_EQ(0, rec.WaitConnect());
  ASSERT_TRUE(rec.WaitClose());
  EXPECT_EQ(3u, rec.messages.size());
  EXPECT_EQ(std::vector<bool>{true}, rec.closes);
}

TEST(ClientSocket, SinkMayReleaseTheSocketInsideAnEvent) {
  netlab::NetLab lab;
  lab.Hall("hall", "send 50");
  START_LAB(lab);
  IClientSocket* socket = sockettest::NewSocket();
  ASSERT_NE(nullptr, socket);
  RecordingSink rec;
  bool released = false;
  rec.onRead = [&](const Message&) {
    if (!released) {
      released = true;
      socket->Release();
    }
  };
  socket->SetSocketSink(&rec);
  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));
  ASSERT_EQ(0, rec.WaitConnect());
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return released; }, 10000));
  ASSERT_TRUE(testkit::PumpUntilIdle());
  EXPECT_EQ(1u, rec.messages.size());
  EXPECT_TRUE(rec.closes.empty());
}

TEST(ClientSocket, KeepAliveAnswersAndDetectsASilentServer) {
  netlab::NetLab lab;
  lab.Hall("hall", "connection 1\nping\nwait 1\nsend 1\nconnection 2\nstall\n");
  START_LAB(lab);
  SocketPtr socket;
  RecordingSink rec;
  socket->SetSocketSink(&rec);
  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));
  ASSERT_EQ(0, rec.WaitConnect());
  // The server's ping is answered and never shown to the sink.
  ASSERT_TRUE(socket->SendData(2, 2));
  ASSERT_TRUE(rec.WaitMessages(1));
  EXPECT_EQ(1, rec.messages[0].main);
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return lab.CountLog("hall", "pong 1") == 1; }, 5000));

  // A server that never answers is dropped after three silent intervals.
  socket->SetKeepAlive(50);
  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));
  ASSERT_EQ(0, rec.WaitConnect());
  ASSERT_TRUE(rec.WaitClose(10000));
  EXPECT_EQ(std::vector<bool>{true}, rec.closes);
}

// Sinks that re-enter the socket from inside its events: the event in
// progress stops there and the socket goes on with what the sink started.
TEST(ClientSocket, SinkMayCloseOrReconnectInsideAnEvent) {
  netlab::NetLab lab;
  lab.Hall("hall",
           "connection 1\nsend 20\ndrop\nconnection 2\nsend 20\nconnection 3\nsend 20\n"
           "connection *\nsend 1 9 9 4\n");
  START_LAB(lab);
  SocketPtr socket;
  RecordingSink rec;
  socket->SetSocketSink(&rec);
  // A drop is answered with a new connection from inside OnSocketClose.
  rec.onClose = [&](bool byServer) {
    if (byServer) socket->Connect("127.0.0.1", lab.Port("hall"));
  };
  // On the second connection the third message closes it from inside
  // OnSocketRead, reporting the close: nothing more is read.
  rec.onRead = [&](const Message&) {
    if (rec.connects.size() == 2 && rec.messages.size() == 23) socket->CloseSocket(true);
  };
  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));
  ASSERT_TRUE(testkit::PumpMessagesUntil([&] { return rec.closes.size() == 2; }, 10000));
  ASSERT_TRUE(testkit::PumpUntilIdle());
  EXPECT_EQ((std::vector<int>{0, 0}), rec.connects);
  EXPECT_EQ((std::vector<bool>{true, false}), rec.closes);
  EXPECT_EQ(23u, rec.messages.size());
  EXPECT_EQ(SocketStatus_Idle, socket->GetSocketStatus());

  // Reconnecting from inside OnSocketRead at the first of twenty messages:
  // the other nineteen go with the old connection, the new one's arrive.
  rec.onClose = nullptr;
  rec.messages.clear();
  bool moved = false;
  rec.onRead = [&](const Message& m) {
    if (!moved && m.main == 1) moved = socket->Connect("127.0.0.1", lab.Port("hall"));
  };
  ASSERT_TRUE(socket->Connect("127.0.0.1", lab.Port("hall")));  // connection 3
  ASSERT_TRUE(rec.WaitMessages(2));
  ASSERT_TRUE(testkit::PumpUntilIdle());
  ASSERT_TRUE(moved);
  ASSERT_EQ(2u, rec.messages.size());
  EXPECT_EQ(0u, sockettest::SeqOf(rec.messages[0].body));
  EXPECT_EQ(9, rec.messages[1].main);
  EXPECT_EQ(4u, rec.connects.size());
  EXPECT_EQ(2u, rec.closes.size());  // the silent closes of Connect are not reported
}
