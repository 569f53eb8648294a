// The host's desktop notifications, against a notification service of the
// test's own on a private session bus: what a due reminder's notification
// carries, and its two actions carried out as the reminders window does.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <filesystem>
#include <functional>
#include <mutex>

#include "engine/text.h"
#include "host/desktop.h"
#include "platform/ini.h"
#include "qt_support.h"
#include "support.h"

namespace krav::host {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// Answers Notify with ids 1, 2, ... and keeps the arguments of every call.
class FakeNotifications : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override {
    return QStringLiteral(
        "<interface name=\"org.freedesktop.Notifications\"><method name=\"Notify\">"
        "<arg type=\"s\" direction=\"in\"/><arg type=\"u\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
        "<arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/><arg type=\"as\" direction=\"in\"/>"
        "<arg type=\"a{sv}\" direction=\"in\"/><arg type=\"i\" direction=\"in\"/>"
        "<arg type=\"u\" direction=\"out\"/></method>"
        "<signal name=\"ActionInvoked\"><arg type=\"u\"/><arg type=\"s\"/></signal></interface>");
  }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() != QLatin1String("Notify")) return false;
    uint id;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      calls_.push_back(message.arguments());
      id = static_cast<uint>(calls_.size());
    }
    connection.send(message.createReply(QVariant::fromValue(id)));
    return true;
  }
  QList<QVariantList> calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }

 private:
  mutable std::mutex mutex_;
  QList<QVariantList> calls_;
};

bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

class Notifications : public ::testing::Test {
 protected:
  void SetUp() override {
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(daemon.waitForReadyRead(5000)) << "dbus-daemon did not start";
    address = QString::fromUtf8(daemon.readLine()).trimmed();
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8().constData(), 1);
    test::TestApp();
    ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
    EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
    std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/plugin/libdorvik.so", t.root() + "libdorvik.so");
  }
  void TearDown() override {
    if (serviceUp) {
      service.unregisterObject(kPath);
      service.unregisterService(kService);
      QDBusConnection::disconnectFromBus(QStringLiteral("fake-notifications"));
    }
    thread.quit();
    thread.wait();
    delete fake;
    daemon.kill();
    daemon.waitForFinished();
    ::unsetenv("KRAV_RUNTIME_DIR");
  }
  // The service runs in a thread of its own: the host waits for its answer.
  void startService() {
    fake = new FakeNotifications;
    fake->moveToThread(&thread);
    thread.start();
    service = QDBusConnection::connectToBus(address, QStringLiteral("fake-notifications"));
    ASSERT_TRUE(service.isConnected());
    ASSERT_TRUE(service.registerService(kService));
    ASSERT_TRUE(service.registerVirtualObject(kPath, fake));
    serviceUp = true;
  }
  void invoke(uint id, const QString& action) {
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kService, QStringLiteral("ActionInvoked"));
    signal << id << action;
    ASSERT_TRUE(service.send(signal));
  }

  QProcess daemon;
  QString address;
  QThread thread;
  FakeNotifications* fake = nullptr;
  QDBusConnection service{QString()};
  bool serviceUp = false;
  test::TempRoot t;
};

std::string Due(const std::string& text) {
  return test::Join({test::Join({"3", "08.12.2026 14:35"}, kSep3), text, "0", "/p"}, kSep4);
}

TEST_F(Notifications, ADueReminderOffersBothActionsAndEachIsCarriedOut) {
  startService();
  ShellHost host(t.root());
  ASSERT_TRUE(host.start());
  Desktop desktop(host);
  t.write(t.data("mess.dat"), {});
  t.write(t.data("mess-now.dat"), {Due("tea")});
  host.handleMessage(1034, 0, 513);
  ASSERT_TRUE(WaitFor([&] { return fake->calls().size() == 1; }));
  const QVariantList call = fake->calls()[0];
  ASSERT_EQ(call.size(), 8);
  EXPECT_EQ(call[3].toString(), "Напоминание");
  EXPECT_EQ(call[4].toString(), "08.12.2026 14:35  tea");
  EXPECT_EQ(call[5].toStringList(), (QStringList{"ack", "Понял", "snooze", "Отложить на 5 минут"}));

  // "Отложить на 5 минут": the reminder goes back into the store, five minutes on.
  invoke(1, "snooze");
  ASSERT_TRUE(WaitFor([&] { return host.reminders().empty(); }));
  const Lines store = t.read(t.data("mess.dat"));
  ASSERT_EQ(store.size(), 1u);
  EXPECT_EQ(GetField(store[0], kSep3, 3), "tea");
  EXPECT_EQ(ReadIniString(t.root() + "krav2000.ini", "Voza", "Min", ""), "5");

  // "Понял" of an older notification changes nothing; of the latest, it acknowledges.
  t.write(t.data("mess-now.dat"), {Due("call")});
  host.handleMessage(1034, 0, 513);
  ASSERT_TRUE(WaitFor([&] { return fake->calls().size() == 2; }));
  invoke(1, "ack");
  QApplication::processEvents();
  EXPECT_EQ(host.reminders().size(), 1u);
  invoke(2, "ack");
  ASSERT_TRUE(WaitFor([&] { return !FileExists(t.data("mess-now.dat")); }));
  host.stop();
}

TEST_F(Notifications, WithoutAServiceTheReminderIsStillShownAtOnce) {
  ShellHost host(t.root());
  ASSERT_TRUE(host.start());
  Desktop desktop(host);
  t.write(t.data("mess-now.dat"), {Due("tea")});
  QElapsedTimer timer;
  timer.start();
  host.handleMessage(1034, 0, 513);
  EXPECT_LT(timer.elapsed(), 1500);
  EXPECT_EQ(host.reminders().size(), 1u);
  host.stop();
}

}  // namespace
}  // namespace krav::host
