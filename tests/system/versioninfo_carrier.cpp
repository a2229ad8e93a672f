// Carries a version resource for the reader's tests; it is read, never run for real.
int main() {
    return 0;
}
