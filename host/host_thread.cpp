#include "host/host_thread.h"

namespace krav::host {

HostThread::HostThread(ShellHost& host) : host_(host), home_(host.thread()) {
  thread_.setObjectName(QStringLiteral("shell host"));
  host_.moveToThread(&thread_);
  thread_.start();
}

HostThread::~HostThread() {
  call([this] {
    host_.stop();
    host_.moveToThread(home_);
  });
  thread_.quit();
  thread_.wait();
}

void HostThread::call(const std::function<void()>& f) {
  if (QThread::currentThread() == host_.thread()) f();
  else QMetaObject::invokeMethod(&host_, f, Qt::BlockingQueuedConnection);
}

void OnHostThread(ShellHost& host, std::function<void()> f) {
  QMetaObject::invokeMethod(&host, std::move(f), Qt::AutoConnection);
}

}  // namespace krav::host
