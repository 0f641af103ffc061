#pragma once

#include <QProcess>
#include <QString>
#include <string>

// The installed stand-in of the service, started for --demo on a free loopback port with new
// statuses arriving, and stopped when the program ends. Should the program die without its
// destructor, the stand-in is told by the system and ends too. Its port file lies in the demo's
// data folder, the working folder, so that a killed program leaves nothing behind elsewhere; the
// next start replaces it.
class CDemoService {
  public:
    // Starts the stand-in beside the program and waits for its port; throws Exception when it is
    // missing or does not come up.
    CDemoService();
    ~CDemoService();
    CDemoService(const CDemoService&) = delete;
    CDemoService& operator=(const CDemoService&) = delete;

    // "127.0.0.1:port", for every host role.
    const std::string& Host() const { return mHost; }

  private:
    void WaitForPort();

    QString mPortFile;
    QProcess mProcess;
    std::string mHost;
};

// Signs in as the demo account with automatic reload, unless the folder already has settings.
void PrepareDemoAccount();
