// What the user sees once the abort of a download has ended the connection, the same over
// FTP and SFTP: the tool knows it is disconnected (status, indicator, no connected-since),
// the host is not blamed for it by the timer or the next check, and only the option that
// connects when there is no connection brings it back. Header only; the tool's core and
// RecordingToolView are all it needs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "FtpConnection.h"
#include "FtpStatusTexts.h"
#include "RecordingToolView.h"
#include "Win1252.h"

// options is what the connection's Login reads as the profile's reconnect options; all off
// on entry.
inline void ExpectEndedByAbort(FtpConnection& connection, RecordingToolView& view, FtpReconnectOptions& options) {
  EXPECT_FALSE(connection.Session().Connected());
  EXPECT_EQ(connection.ConnectedSince(), 0);
  EXPECT_FALSE(connection.HostDropped());
  EXPECT_FALSE(connection.Busy());
  EXPECT_EQ(view.connectedShown, 0);
  const auto& panel2 = view.panel2History;
  EXPECT_NE(std::find(panel2.begin(), panel2.end(), A(ftptexts::kDisconnected)), panel2.end());

  connection.TimerStep();
  ASSERT_GT(view.log.Size(), 0u);
  const std::string timer = view.log.Line(view.log.Size() - 1);
  EXPECT_EQ(timer.rfind(std::string(ftptexts::kTimer) + ftptexts::kNoConnectionAt, 0), 0u) << timer;
  EXPECT_FALSE(connection.HostDropped()) << "the timer blamed the host";

  const std::size_t before = view.log.Size();
  EXPECT_FALSE(connection.EnsureConnection());
  options.AutoReset = true;  // acts only on a connection the host dropped
  EXPECT_FALSE(connection.EnsureConnection());
  EXPECT_EQ(view.log.Size(), before) << "no check ran without a connection";

  options.AutoSet = true;
  EXPECT_TRUE(connection.EnsureConnection());
  EXPECT_TRUE(connection.Session().Connected());
  EXPECT_NE(connection.ConnectedSince(), 0);
  EXPECT_EQ(view.connectedShown, 1);
  EXPECT_EQ(view.panels[2], A(ftptexts::kConnected));
  ASSERT_GT(view.log.Size(), before);
  EXPECT_EQ(view.log.Line(view.log.Size() - 1), ftptexts::kRequest) << "the host was blamed for the abort";
}
