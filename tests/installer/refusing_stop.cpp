// Stands in for a tarvikctl whose running controller did not stop in time.
int main() {
    constexpr int kExitStillRunning = 7;
    return kExitStillRunning;
}
