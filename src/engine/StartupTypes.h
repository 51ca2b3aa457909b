#pragma once

// Reasons the startup service hands to its delegates. They live outside StartupService so
// that the network interface can speak of them without the service's header.

// Why a sign-in failed. Unknown covers every reason the server does not name.
enum class OVLoginFailureReason {
    loginFailureUnknown,
    loginFailureServerRejected,
    loginFailureServerUnreachable
};

// Why the user is being logged out: by choice, because re-registration failed, or because the
// server forced it.
enum class OVLogoutReason { user, reRegistrationFailed, serverForced };
