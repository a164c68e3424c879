#include "platform/web/WebPageGuards.h"

#include <cctype>

namespace platform::web {

namespace {

bool startsWithIgnoringCase(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix) {
    if (std::tolower(static_cast<unsigned char>(*text)) != *prefix) return false;
  }
  return true;
}

gboolean answerDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer) {
  // Nobody is asked: alert is acknowledged, confirm and prompt are
  // declined, and leaving a page is always allowed.
  switch (webkit_script_dialog_get_dialog_type(dialog)) {
    case WEBKIT_SCRIPT_DIALOG_CONFIRM:
      webkit_script_dialog_confirm_set_confirmed(dialog, FALSE);
      break;
    case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
      webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
      break;
    default:
      break;
  }
  return TRUE;
}

gboolean denyPermission(WebKitWebView*, WebKitPermissionRequest* request, gpointer) {
  webkit_permission_request_deny(request);
  return TRUE;
}

gboolean cancelFileChooser(WebKitWebView*, WebKitFileChooserRequest* request, gpointer) {
  webkit_file_chooser_request_cancel(request);
  return TRUE;
}

gboolean suppressContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer) {
  return TRUE;
}

gboolean suppressPrinting(WebKitWebView*, WebKitPrintOperation*, gpointer) { return TRUE; }

gboolean refuseFullScreen(WebKitWebView*, gpointer) { return TRUE; }

gboolean suppressNotification(WebKitWebView*, WebKitNotification*, gpointer) { return TRUE; }

}  // namespace

void WebPageGuards::install(WebKitWebView* view) {
  g_signal_connect(view, "script-dialog", G_CALLBACK(answerDialog), nullptr);
  g_signal_connect(view, "permission-request", G_CALLBACK(denyPermission), nullptr);
  g_signal_connect(view, "run-file-chooser", G_CALLBACK(cancelFileChooser), nullptr);
  g_signal_connect(view, "context-menu", G_CALLBACK(suppressContextMenu), nullptr);
  g_signal_connect(view, "print", G_CALLBACK(suppressPrinting), nullptr);
  g_signal_connect(view, "enter-fullscreen", G_CALLBACK(refuseFullScreen), nullptr);
  g_signal_connect(view, "show-notification", G_CALLBACK(suppressNotification), nullptr);
}

bool WebPageGuards::isDownload(WebKitResponsePolicyDecision* decision) {
  if (!webkit_response_policy_decision_is_mime_type_supported(decision)) return true;
  WebKitURIResponse* response = webkit_response_policy_decision_get_response(decision);
  SoupMessageHeaders* headers = response ? webkit_uri_response_get_http_headers(response) : nullptr;
  const char* disposition = headers ? soup_message_headers_get_one(headers, "Content-Disposition") : nullptr;
  if (!disposition) return false;
  while (std::isspace(static_cast<unsigned char>(*disposition))) ++disposition;
  return startsWithIgnoringCase(disposition, "attachment");
}

}  // namespace platform::web
