// A program that crashes: the test prefix must end it at once and print a
// backtrace, as it does for any test program that crashes.
int main()
{
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
