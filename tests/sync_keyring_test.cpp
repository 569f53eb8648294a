// The calendar password in the Secret Service: a private D-Bus session with
// a GNOME keyring of the test's own (unlocked with a test password). The
// password goes there rather than into a file, is found there by the pass
// and by messctl, and goes when it is emptied. A session bus or keyring
// that cannot be started fails the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <memory>

#include "calendar_server.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "support.h"
#include "sync/secret.h"
#include "sync/settings.h"

namespace krav {
namespace {

class Keyring : public ::testing::Test {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "sync_keyring_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    const QString home = QString::fromStdString(t.root() + "home"), run = QString::fromStdString(t.root() + "run");
    ForceDir(home.toStdString());
    ForceDir(run.toStdString());
    ::chmod(run.toUtf8().constData(), 0700);
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForReadyRead(5000)) << "dbus-daemon did not start (scripts/deps.sh installs it)";
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8().constData(), 1);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_RUNTIME_DIR", run);
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("DBUS_SESSION_BUS_ADDRESS", address);
    keyring.setProcessEnvironment(env);
    keyring.start("gnome-keyring-daemon", {"--foreground", "--unlock", "--components=secrets"});
    ASSERT_TRUE(keyring.waitForStarted(5000))
        << "gnome-keyring-daemon did not start (scripts/deps.sh installs it)";
    keyring.write("test-keyring-password");
    ASSERT_TRUE(keyring.waitForBytesWritten(5000));
    keyring.closeWriteChannel();
    // Up once it keeps a secret: on the bus, with its login keyring made
    // from the password given.
    QElapsedTimer waited;
    waited.start();
    while (sync::StoreSecret("http://probe/", "", "x") != sync::SecretStatus::Found) {
      ASSERT_LT(waited.elapsed(), 15000) << "the keyring did not come up on the private bus";
      QThread::msleep(100);
    }
    sync::ClearSecret("http://probe/", "");
  }
  void TearDown() override {
    keyring.kill();
    keyring.waitForFinished();
    bus.kill();
    bus.waitForFinished();
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/krav-no-bus", 1);
  }

  test::TempRoot t{"a"};
  QProcess bus, keyring;
};

TEST_F(Keyring, ThePasswordIsKeptInTheKeyringNotInAFile) {
  test::CalendarServer server("radicale");
  ASSERT_TRUE(server.failure().empty()) << server.failure();
  const std::string dir = t.dataDir();
  sync::SyncSettings s;
  s.url = server.url();
  s.login = server.login();
  std::string error;
  ASSERT_TRUE(sync::SaveSyncSettings(dir, s, error)) << error;
  // A file left from before goes once the keyring holds the password.
  t.write(sync::PasswordFile(dir), {"old"});
  ::chmod(sync::PasswordFile(dir).c_str(), 0600);
  ASSERT_TRUE(sync::SaveSyncPassword(dir, s, server.password(), error)) << error;
  EXPECT_FALSE(FileExists(sync::PasswordFile(dir)));
  EXPECT_TRUE(sync::PasswordKept(dir));
  for (const auto& line : t.read(shell::UserSettingsFile(dir)))
    EXPECT_EQ(line.find(server.password()), std::string::npos) << line;
  std::string password;
  ASSERT_TRUE(sync::ReadSyncPassword(dir, s, password, error)) << error;
  EXPECT_EQ(password, server.password());

  // messctl finds it there too (it inherits the session's bus).
  t.write(t.data("mess.dat"), {test::Record("3", "2", "11|01.12.2026|00:00", "22|09:00", "x")});
  const std::string cmd = std::string(KRAV_BUILD_DIR) + "/tools/messctl sync --root " + t.root() + " --user a";
  EXPECT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 0);

  ASSERT_TRUE(sync::SaveSyncPassword(dir, s, "", error)) << error;
  EXPECT_FALSE(sync::PasswordKept(dir));
  ASSERT_TRUE(sync::ReadSyncPassword(dir, s, password, error)) << error;
  EXPECT_TRUE(password.empty());
}

}  // namespace
}  // namespace krav
