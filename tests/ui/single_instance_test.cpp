// One copy of the window program per user: a second start shows its message and ends with 1
// while the first runs on, and a start after the first was killed runs.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <filesystem>

#include "platform/instance_lock.h"
#include "support/temp_dir.h"

using namespace tavrin;

namespace {

QProcess* start_window(const std::string& runtime, const std::string& config, QObject* owner) {
  auto* process = new QProcess(owner);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("MXF_TAVRIN_DISMISS_MS"), QStringLiteral("50"));
  process->setProcessEnvironment(environment);
  process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process->start(QStringLiteral(TAVRIN_WINDOW_PATH), {});
  return process;
}

// Waits until the process holds the lock: the lock file exists and a try to take it is refused.
bool wait_for_lock(const std::string& runtime, QProcess* holder) {
  const std::string file = runtime + "/KTZ-71";
  for (int i = 0; i < 300; ++i) {
    if (holder->state() == QProcess::NotRunning) return false;
    if (std::filesystem::exists(file)) {
      QTest::qWait(100);
      platform::InstanceLockResult result{};
      platform::InstanceLock probe = platform::InstanceLock::acquire(runtime, &result, nullptr);
      if (result == platform::InstanceLockResult::kHeldElsewhere) return true;
    }
    QTest::qWait(20);
  }
  return false;
}

}  // namespace

class SingleInstanceTest : public QObject {
  Q_OBJECT
 private slots:
  void secondStartEndsWithOneAndAKilledInstanceLeavesNoLock() {
    test::TempDir runtime;
    test::TempDir config;
    QVERIFY(!runtime.path().empty());
    QProcess* first = start_window(runtime.path(), config.path(), this);
    QVERIFY(first->waitForStarted(10000));
    QVERIFY(wait_for_lock(runtime.path(), first));

    QProcess* second = start_window(runtime.path(), config.path(), this);
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 1);
    QCOMPARE(first->state(), QProcess::Running);

    // A crash (SIGKILL) leaves the file but not the lock.
    first->kill();
    QVERIFY(first->waitForFinished(10000));
    QProcess* third = start_window(runtime.path(), config.path(), this);
    QVERIFY(third->waitForStarted(10000));
    QVERIFY(wait_for_lock(runtime.path(), third));
    QVERIFY(!third->waitForFinished(500));
    third->kill();
    third->waitForFinished(10000);
  }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
