// A module that loads but lacks the plug-in's two exports: kxpsui-host must
// refuse it with a reason, not call into it.
extern "C" int KxToolTestAnswer() {
    return 42;
}
