namespace quorvin_app_placeholder {}
