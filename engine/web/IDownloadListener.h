#pragma once

// Told after each received chunk of a download; false stops the transfer.
class IDownloadListener {
public:
    virtual ~IDownloadListener() {}
    virtual bool OnProgress(int bytesSoFar) = 0;
};
