# The library's whole code: the entry point Windows calls on loading and
# unloading it, which only says yes. Nothing is exported.
# BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD reason, LPVOID)
	.text
	.globl	_DllMainCRTStartup@12
_DllMainCRTStartup@12:
	movl	$1, %eax
	ret	$12
