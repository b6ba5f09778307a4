// The interface of the sample loaders: a sound file read through a file
// system and decoded whole into PCM of the requested bits. The data of a
// loaded sample is allocated with new[] and belongs to the caller, who frees
// it with delete[].
#pragma once

class HFileSystem;
struct HAudioSample;

class HAudioSampleLoader {
public:
    HAudioSampleLoader();
    virtual ~HAudioSampleLoader();

    HAudioSampleLoader(const HAudioSampleLoader&) = delete;
    HAudioSampleLoader& operator=(const HAudioSampleLoader&) = delete;

    // Fills `out` and returns true; false, with `out` untouched, when the
    // file cannot be read or decoded in that format.
    virtual bool loadAudioSample(HFileSystem* fs, const char* name, HAudioSample* out, int bits, int rate) = 0;

protected:
    // The whole file in a new[] buffer and its length in *size; null when it
    // does not open (*opened false), or is empty, longer than `maxBytes` or
    // reads short (*opened true). The file is closed either way.
    static unsigned char* m_readWholeFile(HFileSystem* fs, const char* name, int maxBytes, int* size,
                                          bool* opened);
};
