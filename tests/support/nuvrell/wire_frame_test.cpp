// The framing: header checks and the bounded frame reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/nuvrell/wire_frame.h"

using namespace nuvrell;

namespace {

std::string Frame(std::uint16_t main, std::uint16_t sub, const std::string& body) {
  std::string out;
  EXPECT_TRUE(AppendFrame(out, main, sub, body.data(), body.size()));
  return out;
}

const std::uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// Feeds the stream in chunks of the given size; collects the frames.
struct Collected {
  std::vector<std::string> bodies;
  std::vector<std::uint16_t> mains;
  bool malformed = false;
};

Collected FeedInChunks(const std::string& stream, std::size_t chunk) {
  FrameReader reader;
  Collected got;
  for (std::size_t at = 0; at < stream.size() && !got.malformed;) {
    const std::size_t n = std::min({chunk, stream.size() - at, reader.WriteSpace()});
    if (n == 0) break;
    std::memcpy(reader.WritePtr(), stream.data() + at, n);
    reader.Commit(n);
    at += n;
    FrameReader::Frame frame;
    for (;;) {
      const auto status = reader.Next(frame);
      if (status == FrameReader::Status::NeedMore) break;
      if (status == FrameReader::Status::Malformed) {
        got.malformed = true;
        break;
      }
      got.mains.push_back(frame.header.mainCmd);
      got.bodies.emplace_back(frame.body ? reinterpret_cast<const char*>(frame.body) : "", frame.bodySize);
    }
  }
  return got;
}

}  // namespace

TEST(WireFrame, HeaderLayoutIsLittleEndian) {
  const std::string f = Frame(0x1234, 0xABCD, "xyz");
  ASSERT_EQ(11u, f.size());
  const std::string expected("\x01\x00\x0B\x00\x34\x12\xCD\xAB", 8);
  EXPECT_EQ(expected, f.substr(0, 8));
  FrameHeader h;
  ASSERT_EQ(HeaderStatus::Valid, ParseFrameHeader(Bytes(f), f.size(), h));
  EXPECT_EQ(11, h.packetSize);
  EXPECT_EQ(0x1234, h.mainCmd);
  EXPECT_EQ(0xABCD, h.subCmd);
}

TEST(WireFrame, BadHeadersAreRefused) {
  FrameHeader h;
  std::string f = Frame(1, 1, "");
  EXPECT_EQ(HeaderStatus::NeedMore, ParseFrameHeader(Bytes(f), 7, h));
  f[2] = 7;  // below the header
  EXPECT_EQ(HeaderStatus::Malformed, ParseFrameHeader(Bytes(f), 8, h));
  f[2] = 0x01;  // 16385: above the maximum
  f[3] = 0x40;
  EXPECT_EQ(HeaderStatus::Malformed, ParseFrameHeader(Bytes(f), 8, h));
  f = Frame(1, 1, "");
  f[0] = 2;  // another version: known from the first byte
  EXPECT_EQ(HeaderStatus::Malformed, ParseFrameHeader(Bytes(f), 1, h));
  f[0] = 1;
  f[1] = 1;  // reserved byte
  EXPECT_EQ(HeaderStatus::Malformed, ParseFrameHeader(Bytes(f), 2, h));

  std::string out;
  const std::string big(FRAME_MAX_BODY + 1, 'x');
  EXPECT_FALSE(AppendFrame(out, 1, 1, big.data(), big.size()));
  EXPECT_FALSE(AppendFrame(out, 1, 1, nullptr, 3));
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(AppendFrame(out, 1, 1, big.data(), FRAME_MAX_BODY));
  EXPECT_EQ(FRAME_MAX_PACKET, out.size());
}

TEST(WireFrame, ReaderSplitsAnyChunkingTheSameWay) {
  std::string stream;
  std::vector<std::string> bodies;
  for (int i = 0; i < 40; ++i) {
    // Sizes from empty to the largest body, so frames straddle the buffer.
    const std::size_t size = i == 39 ? FRAME_MAX_BODY : static_cast<std::size_t>(i * 997 % 6000);
    bodies.push_back(std::string(size, static_cast<char>('a' + i % 26)));
    stream += Frame(static_cast<std::uint16_t>(i + 1), 0, bodies.back());
  }
  for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, std::size_t{65536}}) {
    SCOPED_TRACE(chunk);
    const Collected got = FeedInChunks(stream, chunk);
    EXPECT_FALSE(got.malformed);
    ASSERT_EQ(bodies.size(), got.bodies.size());
    for (std::size_t i = 0; i < bodies.size(); ++i) {
      EXPECT_EQ(i + 1, got.mains[i]);
      EXPECT_EQ(bodies[i], got.bodies[i]);
    }
  }
}

TEST(WireFrame, MalformedStopsTheReaderUntilReset) {
  std::string stream = Frame(1, 1, "ok") + std::string("\x01\x00\xFF\xFF\x01\x00\x01\x00", 8) + Frame(2, 2, "no");
  const Collected got = FeedInChunks(stream, 5);
  EXPECT_TRUE(got.malformed);
  EXPECT_EQ(std::vector<std::string>{"ok"}, got.bodies);

  FrameReader reader;
  ASSERT_TRUE(reader.Append("\x09", 1));
  FrameReader::Frame frame;
  EXPECT_EQ(FrameReader::Status::Malformed, reader.Next(frame));
  EXPECT_EQ(FrameReader::Status::Malformed, reader.Next(frame));
  EXPECT_EQ(0u, reader.WriteSpace());
  EXPECT_FALSE(reader.Append("x", 1));
  reader.Reset();
  const std::string good = Frame(3, 4, "");
  ASSERT_TRUE(reader.Append(good.data(), good.size()));
  ASSERT_EQ(FrameReader::Status::Frame, reader.Next(frame));
  EXPECT_EQ(nullptr, frame.body);
  EXPECT_EQ(0u, reader.Pending());
}

TEST(WireFrame, ReaderNeverTakesMoreThanItsCapacity) {
  FrameReader reader;
  const std::string junk(FrameReader::CAPACITY + 1, '\x01');
  EXPECT_FALSE(reader.Append(junk.data(), junk.size()));
  // A partial frame keeps space for the rest of itself.
  const std::string big = Frame(9, 9, std::string(FRAME_MAX_BODY, 'b'));
  std::string stream;
  while (stream.size() < FrameReader::CAPACITY - 100) stream += Frame(1, 1, std::string(100, 's'));
  stream += big;
  const Collected got = FeedInChunks(stream, 3000);
  EXPECT_FALSE(got.malformed);
  ASSERT_FALSE(got.bodies.empty());
  EXPECT_EQ(9, got.mains.back());
  EXPECT_EQ(FRAME_MAX_BODY, got.bodies.back().size());
}
