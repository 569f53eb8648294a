// The settings page's calendar part: what is typed reaches [Sync] and the
// password file (never the settings file), the password is not shown again,
// and «Проверить» tries a real server with what is typed and says what
// happened, without holding the window.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/main_window/sync_settings_box.h"
#include "calendar_server.h"
#include "platform/ini.h"
#include "qt_support.h"
#include "shell/paths.h"
#include "support.h"
#include "sync/settings.h"

namespace krav {
namespace {

bool WaitForPassword(app::SyncSettingsBox& box) {
  QElapsedTimer t;
  t.start();
  while (box.savingPassword() && t.elapsed() < 30000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return !box.savingPassword();
}

bool WaitForAnswer(app::SyncSettingsBox& box) {
  QElapsedTimer t;
  t.start();
  while (!box.checkButton()->isEnabled() && t.elapsed() < 30000)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  return box.checkButton()->isEnabled();
}

TEST(SyncSettings, TypedSettingsAreSavedThePasswordApartAndTheCheckSaysWhatHappened) {
  // No keyring in this session: the password goes to the file.
  ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/krav-no-bus", 1);
  test::TestApp();
  test::CalendarServer server("radicale");
  ASSERT_TRUE(server.failure().empty()) << server.failure();
  test::TempRoot t;
  app::SyncSettingsBox box(t.dataDir());
  box.load();
  for (QWidget* w : std::initializer_list<QWidget*>{box.urlEdit(), box.loginEdit(), box.passwordEdit(),
                                                    box.intervalSpin(), box.checkButton()}) {
    EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    EXPECT_NE(w->focusPolicy() & Qt::TabFocus, 0) << w->objectName().toStdString();
  }
  EXPECT_EQ(box.intervalSpin()->value(), 15);

  box.urlEdit()->setText(QString::fromStdString(server.url()));
  box.loginEdit()->setText(QString::fromStdString(server.login()));
  test::TypeText(box.passwordEdit(), "wrong");
  box.checkButton()->click();
  EXPECT_FALSE(box.checkButton()->isEnabled()) << "the check runs off the window's thread";
  ASSERT_TRUE(WaitForAnswer(box));
  EXPECT_NE(box.answerLabel()->text().indexOf("401"), -1) << box.answerLabel()->text().toStdString();

  box.passwordEdit()->clear();
  test::TypeText(box.passwordEdit(), QString::fromStdString(server.password()));
  box.intervalSpin()->setValue(30);
  box.checkButton()->click();
  ASSERT_TRUE(WaitForAnswer(box));
  EXPECT_EQ(box.answerLabel()->text(), QStringLiteral("Календарь отвечает: событий в нём 0."));

  ASSERT_TRUE(box.changed());
  ASSERT_TRUE(box.save());
  ASSERT_TRUE(WaitForPassword(box));
  sync::SyncSettings s;
  std::string error, password;
  ASSERT_TRUE(sync::ReadSyncSettings(t.dataDir(), s, error)) << error;
  EXPECT_EQ(s.url, server.url());
  EXPECT_EQ(s.login, server.login());
  EXPECT_EQ(s.interval, 30);
  ASSERT_TRUE(sync::ReadPasswordFile(t.dataDir(), password, error)) << error;
  EXPECT_EQ(password, server.password());
  struct stat st {};
  ASSERT_EQ(::stat(sync::PasswordFile(t.dataDir()).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600);
  const Lines ini = t.read(shell::UserSettingsFile(t.dataDir()));
  for (const auto& line : ini) EXPECT_EQ(line.find(server.password()), std::string::npos) << line;

  // Loaded again: the password is kept but not shown; saving without typing
  // it leaves it as it is.
  app::SyncSettingsBox again(t.dataDir());
  again.load();
  EXPECT_TRUE(again.passwordEdit()->text().isEmpty());
  EXPECT_FALSE(again.passwordEdit()->placeholderText().isEmpty());
  again.intervalSpin()->setValue(0);
  ASSERT_TRUE(again.save());
  EXPECT_FALSE(again.savingPassword());
  ASSERT_TRUE(sync::ReadPasswordFile(t.dataDir(), password, error));
  EXPECT_EQ(password, server.password());
  again.resize(520, 220);
  again.show();
  test::SaveScreenshot(again.grab().toImage(), "settings-sync-box");
}

}  // namespace
}  // namespace krav
