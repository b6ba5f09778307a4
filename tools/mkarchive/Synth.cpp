// Voices, filters and the reverb of the synthesis kit.
#include "tools/mkarchive/Synth.h"

#include <algorithm>
#include <cmath>

namespace mkarchive {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// A sine by rotation: cheap, and exact enough over a few seconds.
struct Phasor {
    double c;
    double s;
    double re;
    double im;

    explicit Phasor(double hz, double phase = 0.0)
        : c(std::cos(kTwoPi * hz / kRate)), s(std::sin(kTwoPi * hz / kRate)), re(std::cos(phase)), im(std::sin(phase))
    {
    }

    double next()
    {
        const double v = im;
        const double nre = re * c - im * s;
        im = re * s + im * c;
        re = nre;
        return v;
    }
};

// Attack ramp (linear) times exponential decay.
double envelope(double t, double attack, double tau)
{
    const double a = attack > 0.0 ? std::min(1.0, t / attack) : 1.0;
    return a * std::exp(-t / tau);
}

// A release ramp over the last `r` seconds of `length`.
double tail(double t, double length, double r)
{
    const double left = length - t;
    return left >= r ? 1.0 : std::max(0.0, left / r);
}

} // namespace

double midiToHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

Track::Track(double seconds, bool loop) : m_samples(size_t(std::lround(seconds * kRate)), 0.0f), m_bLoop(loop) {}

void Track::add(int64_t at, float v)
{
    const int64_t n = int64_t(m_samples.size());
    if (m_bLoop)
        at = ((at % n) + n) % n;
    if (at >= 0 && at < n)
        m_samples[size_t(at)] += v;
}

void Track::pluck(double start, double hz, double length, double amp, double brightness)
{
    // A stiff string: partials slightly sharp, the higher ones dying faster.
    const int32_t partials = 10;
    const int64_t first = std::llround(start * kRate);
    const int32_t count = int32_t(length * kRate);
    for (int32_t k = 1; k <= partials; ++k) {
        const double f = hz * k * std::sqrt(1.0 + 0.0004 * k * k);
        if (f > kRate * 0.45)
            break;
        const double a = amp * std::pow(double(k), -1.3 + 0.5 * (brightness - 1.0)) * (k == 1 ? 1.0 : 0.8);
        const double tau = 0.9 / (1.0 + 0.55 * (k - 1)) * (220.0 / std::max(110.0, hz) * 0.5 + 0.5);
        Phasor p(f, 0.3 * k);
        for (int32_t i = 0; i < count; ++i) {
            const double t = i / kRate;
            add(first + i, float(a * envelope(t, 0.002, tau) * tail(t, length, 0.05) * p.next()));
        }
    }
}

void Track::bell(double start, double hz, double length, double amp)
{
    const double ratios[] = {1.0, 2.0, 2.76, 4.07, 5.43, 8.21};
    const double gains[] = {1.0, 0.55, 0.42, 0.25, 0.18, 0.1};
    const double taus[] = {1.2, 0.8, 0.55, 0.35, 0.25, 0.15};
    const int64_t first = std::llround(start * kRate);
    const int32_t count = int32_t(length * kRate);
    for (int32_t k = 0; k < 6; ++k) {
        const double f = hz * ratios[k];
        if (f > kRate * 0.45)
            continue;
        Phasor p(f);
        for (int32_t i = 0; i < count; ++i) {
            const double t = i / kRate;
            add(first + i, float(amp * gains[k] * envelope(t, 0.003, taus[k] * length) * tail(t, length, 0.04) * p.next()));
        }
    }
}

void Track::flute(double start, double hz, double length, double amp)
{
    // Breathy attack, vibrato that grows in, a soft release.
    const int64_t first = std::llround(start * kRate);
    const int32_t count = int32_t(length * kRate);
    double phase = 0.0;
    Rng rng(uint64_t(hz * 1000.0) + uint64_t(start * 10.0));
    double breath = 0.0;
    for (int32_t i = 0; i < count; ++i) {
        const double t = i / kRate;
        const double vib = 1.0 + 0.006 * std::min(1.0, t / 0.35) * std::sin(kTwoPi * 5.2 * t);
        phase += kTwoPi * hz * vib / kRate;
        const double env = std::min(1.0, t / 0.06) * tail(t, length, 0.12);
        breath = 0.92 * breath + 0.08 * rng.signedUnit();
        const double tone = std::sin(phase) + 0.18 * std::sin(2.0 * phase) + 0.06 * std::sin(3.0 * phase);
        const double puff = std::exp(-t / 0.05) * 0.5 + 0.08;
        add(first + i, float(amp * env * (tone + puff * breath * 1.5)));
    }
}

void Track::pad(double start, double hz, double length, double amp, double detune)
{
    const int64_t first = std::llround(start * kRate);
    const int32_t count = int32_t(length * kRate);
    Phasor a(hz * (1.0 + detune));
    Phasor b(hz * (1.0 - detune), 1.0);
    Phasor c(hz * 2.0 * (1.0 + detune * 0.5), 2.0);
    for (int32_t i = 0; i < count; ++i) {
        const double t = i / kRate;
        const double env = std::min(1.0, t / 0.6) * tail(t, length, 0.7);
        add(first + i, float(amp * env * (0.5 * a.next() + 0.5 * b.next() + 0.15 * c.next())));
    }
}

void Track::drum(double start, double hz, double length, double amp)
{
    const int64_t first = std::llround(start * kRate);
    const int32_t count = int32_t(length * kRate);
    double phase = 0.0;
    for (int32_t i = 0; i < count; ++i) {
        const double t = i / kRate;
        const double f = hz * (1.0 + 0.8 * std::exp(-t / 0.02));
        phase += kTwoPi * f / kRate;
        add(first + i, float(amp * envelope(t, 0.001, length * 0.3) * tail(t, length, 0.02) * std::sin(phase)));
    }
}

void Track::noise(double start, double length, double centreHz, double q, double tau, double amp, Rng& rng)
{
    // A biquad band-pass (constant peak gain).
    const double w = kTwoPi * centreHz / kRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    const double b0 = alpha / a0;
    const double b2 = -alpha / a0;
    const double a1 = -2.0 * std::cos(w) / a0;
    const double a2 = (1.0 - alpha) / a0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    const int64_t first = std::llround(start * kRate);
    const int32_t count = int32_t(length * kRate);
    for (int32_t i = 0; i < count; ++i) {
        const double t = i / kRate;
        const double x = rng.signedUnit();
        const double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        add(first + i, float(amp * envelope(t, 0.0005, tau) * tail(t, length, 0.01) * y));
    }
}

void normalise(std::vector<Buffer*> channels, double peak)
{
    float most = 0.0f;
    for (const Buffer* b : channels) {
        for (float v : *b)
            most = std::max(most, std::fabs(v));
    }
    if (most <= 0.0f)
        return;
    const float k = float(peak / most);
    for (Buffer* b : channels) {
        for (float& v : *b)
            v *= k;
    }
}

void fadeEdges(Buffer& b, double seconds)
{
    const size_t n = std::min(b.size() / 2, size_t(seconds * kRate));
    for (size_t i = 0; i < n; ++i) {
        const float g = float(i) / float(n);
        b[i] *= g;
        b[b.size() - 1 - i] *= g;
    }
}

void reverb(Buffer& b, double wet, double roomSeconds, double decay, bool loop, int32_t variant)
{
    // Mutually prime delays; the variant shifts them so two channels differ.
    const int32_t combBase[4] = {1116, 1188, 1277, 1356};
    const int32_t allBase[2] = {556, 441};
    const double scale = roomSeconds / 0.06;
    std::vector<Buffer> combs;
    std::vector<size_t> combPos(4, 0);
    std::vector<double> combGain(4);
    for (int32_t i = 0; i < 4; ++i) {
        const size_t len = size_t((combBase[i] + 23 * variant) * scale * kRate / 44100.0);
        combs.emplace_back(std::max<size_t>(len, 8), 0.0f);
        combGain[i] = std::pow(0.001, double(combs.back().size()) / kRate / decay);
    }
    std::vector<Buffer> alls;
    std::vector<size_t> allPos(2, 0);
    for (int32_t i = 0; i < 2; ++i)
        alls.emplace_back(size_t((allBase[i] + 11 * variant) * kRate / 44100.0), 0.0f);
    double damp[4] = {0, 0, 0, 0};

    const size_t n = b.size();
    Buffer dry = b;
    Buffer out(n, 0.0f);
    const int32_t passes = loop ? 2 : 1;
    for (int32_t pass = 0; pass < passes; ++pass) {
        for (size_t i = 0; i < n; ++i) {
            const double x = dry[i];
            double sum = 0.0;
            for (int32_t c = 0; c < 4; ++c) {
                Buffer& line = combs[size_t(c)];
                const double y = line[combPos[size_t(c)]];
                damp[c] = y * 0.7 + damp[c] * 0.3; // darker as it rings
                line[combPos[size_t(c)]] = float(x + damp[c] * combGain[size_t(c)]);
                combPos[size_t(c)] = (combPos[size_t(c)] + 1) % line.size();
                sum += y;
            }
            double y = sum * 0.25;
            for (int32_t a = 0; a < 2; ++a) {
                Buffer& line = alls[size_t(a)];
                const double d = line[allPos[size_t(a)]];
                const double v = y + d * 0.5;
                line[allPos[size_t(a)]] = float(v);
                allPos[size_t(a)] = (allPos[size_t(a)] + 1) % line.size();
                y = d - v * 0.5;
            }
            out[i] = float(y);
        }
    }
    for (size_t i = 0; i < n; ++i)
        b[i] = float(dry[i] * (1.0 - wet * 0.5) + out[i] * wet);
}

Sound monoSound(const Buffer& b)
{
    Sound s;
    s.channels.push_back(b);
    return s;
}

Sound stereoSound(const Buffer& left, const Buffer& right)
{
    Sound s;
    s.channels.push_back(left);
    s.channels.push_back(right);
    return s;
}

} // namespace mkarchive
